/* Example add-on: a submenu with an entry that writes the marked text as hex and a
   check-mark entry that switches the hex to upper case; the entry reads the check
   mark back with GetToggleState. */
#include <addon/tervik_addon.h>

#include <stdio.h>

#define FUNC_HEX 1
#define FUNC_UPPER 2

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikRegisterAddOn(const char* settings_path,
                                                                  const AddOnHostTable* host) {
    int32_t ok;
    (void)settings_path;
    host->AddPopup("Markierung");
    ok = host->AddItem("Als Hex anzeigen", FUNC_HEX, ITEM_MARKED, OUT_VIEW);
    host->AddItem(NULL, 0, 0, 0); /* separator */
    host->AddItem("Grossbuchstaben", FUNC_UPPER, ITEM_TOGGLE, 0);
    return ok;
}

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikInterface1(int32_t function,
                                                               const char* marked_text,
                                                               const int32_t* points,
                                                               const AddOnCallTable* calls,
                                                               char* output_path, char* message) {
    int32_t upper = 0;
    const unsigned char* p;
    unsigned long n = 0;
    FILE* out;
    int failed;

    if (function != FUNC_HEX) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Unbekannte Funktion %d", (int)function);
        return 0;
    }
    calls->GetToggleState(FUNC_UPPER, &upper);
    out = fopen(output_path, "wb");
    if (!out) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Ausgabedatei \"%s\" kann nicht angelegt werden.",
                 output_path);
        return 0;
    }
    fprintf(out, "Markierung %d,%d - %d,%d\r\n", (int)points[0], (int)points[1], (int)points[2],
            (int)points[3]);
    for (p = (const unsigned char*)marked_text; *p; p++) {
        if (n % 16 != 0) fputc(' ', out);
        fprintf(out, upper ? "%02X" : "%02x", *p);
        if (++n % 16 == 0) fputs("\r\n", out);
    }
    if (n % 16 != 0) fputs("\r\n", out);
    /* A full disk shows only here: the data sat in the buffer until now. */
    failed = ferror(out) != 0;
    if (fclose(out) != 0 || failed) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Ausgabedatei \"%s\" kann nicht geschrieben werden.",
                 output_path);
        return 0;
    }
    return 1;
}
