// Dialog templates: borderless pop-ups whose controls are created in code.
#include "framework/linux/ResourceTables.h"
#include "res/resource.h"

const DIALOG_TEMPLATE_ENTRY g_dialogTemplates[] = {
    {IDD_ZELQA_DOWNLOADER_DIALOG, WS_POPUP | WS_VISIBLE | DS_SETFONT | DS_FIXEDSYS, WS_EX_APPWINDOW, 320, 200},
    {IDD_MESSAGEBOX, WS_POPUP | 0x00080000 /* system menu */ | DS_SETFONT | DS_FIXEDSYS, 0, 320, 200},
};
const size_t g_nDialogTemplates = sizeof(g_dialogTemplates) / sizeof(g_dialogTemplates[0]);
