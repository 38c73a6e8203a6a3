/*
 * tervik_addon.h - the binary interface between Tervik and an add-on library.
 *
 * Plain C (C99 or C++). An add-on is a shared library (*.so) exporting
 * TervikRegisterAddOn and, for its entries, TervikInterface0 and/or
 * TervikInterface1 with C linkage. All strings are NUL-terminated 8-bit ANSI
 * (cp1252) strings, all integers 32 bits, a "bool" is an int32_t (0 = false).
 * Everything runs on the viewer's user-interface thread; the host functions
 * may only be called from inside the call that handed them over.
 */
#ifndef TERVIK_ADDON_H
#define TERVIK_ADDON_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* On 32-bit Windows the entry points use __stdcall; elsewhere the platform's
   only calling convention applies. */
#if defined(_WIN32) && !defined(_WIN64)
#define TERVIK_ADDON_CALL __stdcall
#else
#define TERVIK_ADDON_CALL
#endif

#if defined(_WIN32)
#define TERVIK_ADDON_EXPORT __declspec(dllexport)
#else
#define TERVIK_ADDON_EXPORT __attribute__((visibility("default")))
#endif

/* The item's interface: what the host calls when the entry is chosen. */
#define ITEM_FILE 0x00000001              /* TervikInterface0 on the active file        */
#define ITEM_MARKED 0x00000002            /* TervikInterface1 with the marked text      */
#define ITEM_TOGGLE ((int32_t)0x80000000) /* check-mark entry the host flips itself */

/* The item's output. Bit 0 asks the user for the output file; the result is
   opened only when the value is exactly OUT_SHELL or exactly OUT_VIEW. */
#define OUT_ASK 0x00000001   /* ask for the output file (save dialog)          */
#define OUT_SHELL 0x00000002 /* open the output with its associated program    */
#define OUT_VIEW 0x00000004  /* open the output in the viewer (deleted on close) */

#define TERVIK_OUTPUT_PATH_SIZE 512 /* output file path buffer, in bytes */
#define TERVIK_MESSAGE_SIZE 1024    /* message buffer, in bytes          */

/* Handed to TervikRegisterAddOn; valid only during that call. */
typedef struct AddOnHostTable {
    /* Appends a submenu with that text (not NULL). Entries added after it go into
       the submenu until the next AddPopup. Always returns 1. */
    int32_t(TERVIK_ADDON_CALL* AddPopup)(const char* text);
    /* Appends an entry: text (NULL = separator), the library's own function number
       (passed back on every call), interface (ITEM_*) and output (OUT_*). Returns
       0 when the entry point the interface needs is not exported; the entry is
       kept all the same (choosing it then fails). */
    int32_t(TERVIK_ADDON_CALL* AddItem)(const char* text, int32_t function, int32_t interface_,
                                        int32_t output);
} AddOnHostTable;

/* Handed to TervikInterface0/1; valid only during that call. Record numbers are
   0-based and refer to the document of the active window. */
typedef struct AddOnCallTable {
    /* Reserved; does nothing and returns 0. */
    int32_t(TERVIK_ADDON_CALL* Reserved)(void);
    /* The record's length in bytes (tabs not expanded). Returns 0 for a record
       number not below the record count, or a NULL length. */
    int32_t(TERVIK_ADDON_CALL* GetLineLength)(uint32_t record, int32_t* length);
    /* Copies the record's text from column 0, tabs expanded, at most size bytes,
       and a NUL: the buffer must hold size + 1 bytes. A record that does not
       exist gives an empty string. Returns 1 (0 only for a NULL buffer). */
    int32_t(TERVIK_ADDON_CALL* GetLineText)(uint32_t record, char* buffer, uint32_t size);
    /* The check state (0 or 1) of this library's first entry with that function
       number. Returns 0 when there is none. */
    int32_t(TERVIK_ADDON_CALL* GetToggleState)(int32_t function, int32_t* state);
} AddOnCallTable;

/* Entry points, looked up by these names first, then by the decorated ones. */
#define TERVIK_REGISTER_NAME "TervikRegisterAddOn"
#define TERVIK_REGISTER_DECORATED "_TervikRegisterAddOn@8"
#define TERVIK_INTERFACE0_NAME "TervikInterface0"
#define TERVIK_INTERFACE0_DECORATED "_TervikInterface0@16"
#define TERVIK_INTERFACE1_NAME "TervikInterface1"
#define TERVIK_INTERFACE1_DECORATED "_TervikInterface1@24"

/* Called once when the library is loaded: the settings file's path and the
   table to add menu items with. Returns 1 when registration succeeded. */
typedef int32_t(TERVIK_ADDON_CALL* TervikRegisterAddOnFn)(const char* settings_path,
                                                          const AddOnHostTable* host);

/* Runs an ITEM_FILE entry. output_path (512 bytes) holds the name of the file to
   write (not yet created); the library may change it. message (1024 bytes,
   initially empty) takes a text shown on failure. Returns 1 on success. */
typedef int32_t(TERVIK_ADDON_CALL* TervikInterface0Fn)(int32_t function,
                                                       const AddOnCallTable* calls,
                                                       char* output_path, char* message);

/* Runs an ITEM_MARKED entry with the marked text and the four marker values
   (first line, first column, second line, second column). Otherwise as above. */
typedef int32_t(TERVIK_ADDON_CALL* TervikInterface1Fn)(int32_t function, const char* marked_text,
                                                       const int32_t* points,
                                                       const AddOnCallTable* calls,
                                                       char* output_path, char* message);

#ifdef __cplusplus
}
#endif

#endif /* TERVIK_ADDON_H */
