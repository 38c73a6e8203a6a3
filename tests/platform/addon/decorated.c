/* An add-on that exports its entry points only under the decorated names a 32-bit
   __stdcall build gives them ("_Name@bytes"), as add-ons built for the original
   program do. One item that writes the first record to the output file. */
#include <addon/tervik_addon.h>

#include <stdio.h>

#define DECORATED(name) __asm__(name)

TERVIK_ADDON_EXPORT int32_t RegisterEntry(const char* settings_path, const AddOnHostTable* host)
    DECORATED("_TervikRegisterAddOn@8");
TERVIK_ADDON_EXPORT int32_t Interface0Entry(int32_t function, const AddOnCallTable* calls,
                                            char* output_path, char* message)
    DECORATED("_TervikInterface0@16");

int32_t RegisterEntry(const char* settings_path, const AddOnHostTable* host) {
    (void)settings_path;
    return host->AddItem("Erste Zeile", 1, ITEM_FILE, OUT_VIEW);
}

int32_t Interface0Entry(int32_t function, const AddOnCallTable* calls, char* output_path,
                        char* message) {
    char line[256];
    FILE* out;
    (void)message;
    if (function != 1) return 0;
    if (!calls->GetLineText(0, line, (uint32_t)sizeof line - 1)) return 0;
    out = fopen(output_path, "wb");
    if (!out) return 0;
    fprintf(out, "%s\n", line);
    fclose(out);
    return 1;
}
