/* Example add-on: a small statistic of the active file (records, longest record,
   a histogram of the record lengths), written through GetLineLength/GetLineText
   and shown in the viewer. */
#include <addon/tervik_addon.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FUNC_STATISTIC 1

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikRegisterAddOn(const char* settings_path,
                                                                  const AddOnHostTable* host) {
    (void)settings_path;
    return host->AddItem("Satzstatistik", FUNC_STATISTIC, ITEM_FILE, OUT_VIEW);
}

TERVIK_ADDON_EXPORT int32_t TERVIK_ADDON_CALL TervikInterface0(int32_t function,
                                                               const AddOnCallTable* calls,
                                                               char* output_path, char* message) {
    /* Histogram buckets: 0, 1-9, 10-99, 100-999, 1000-9999, 10000 and more. */
    static const char* const labels[6] = {"0", "1-9", "10-99", "100-999", "1000-9999", ">=10000"};
    unsigned long counts[6] = {0, 0, 0, 0, 0, 0};
    uint32_t records = 0, longest = 0, longest_at = 0;
    int32_t length = 0;
    char first[81];
    FILE* out;
    int failed;
    int i;

    if (function != FUNC_STATISTIC) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Unbekannte Funktion %d", (int)function);
        return 0;
    }
    while (calls->GetLineLength(records, &length)) {
        uint32_t n = (uint32_t)length;
        int bucket = n == 0 ? 0 : n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : n < 10000 ? 4 : 5;
        counts[bucket]++;
        if (n > longest) {
            longest = n;
            longest_at = records;
        }
        records++;
    }
    first[0] = '\0';
    if (records > 0) calls->GetLineText(longest_at, first, sizeof first - 1);

    out = fopen(output_path, "wb");
    if (!out) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Ausgabedatei \"%s\" kann nicht angelegt werden.",
                 output_path);
        return 0;
    }
    fprintf(out, "Saetze: %lu\r\n", (unsigned long)records);
    fprintf(out, "Laengster Satz: %lu (Satz %lu)\r\n", (unsigned long)longest,
            (unsigned long)(records ? longest_at + 1 : 0));
    fprintf(out, "Anfang: %s\r\n", first);
    fprintf(out, "Laengen:\r\n");
    for (i = 0; i < 6; i++)
        fprintf(out, "%10s %lu\r\n", labels[i], counts[i]);
    /* A full disk shows only here: the data sat in the buffer until now. */
    failed = ferror(out) != 0;
    if (fclose(out) != 0 || failed) {
        snprintf(message, TERVIK_MESSAGE_SIZE, "Ausgabedatei \"%s\" kann nicht geschrieben werden.",
                 output_path);
        return 0;
    }
    return 1;
}
