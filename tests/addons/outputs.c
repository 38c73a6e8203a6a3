/* Test add-on: one entry per way of handing on the output (opened with the desktop's
   program, asked for and left alone), each writing one line to the output file. */
#include <addon/tervik_addon.h>

#include <stdio.h>

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikRegisterAddOn(const char* settings_path,
                                                                  const AddOnHostTable* host) {
    (void)settings_path;
    return host->AddItem("Mit Programm oeffnen", 1, ITEM_FILE, OUT_SHELL) &&
           host->AddItem("In Datei schreiben", 2, ITEM_FILE, OUT_ASK | OUT_SHELL);
}

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikInterface0(int32_t function,
                                                               const AddOnCallTable* calls,
                                                               char* output_path, char* message) {
    int32_t length = 0;
    FILE* out = fopen(output_path, "wb");
    if (!out) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "kann %s nicht anlegen", output_path);
        return 0;
    }
    calls->GetLineLength(0, &length);
    fprintf(out, "Funktion %d, erster Satz %d Bytes\r\n", (int)function, (int)length);
    fclose(out);
    return 1;
}
