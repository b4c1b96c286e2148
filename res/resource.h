#pragma once

// Resource ids of the installer.

// Dialog templates.
#define IDD_ZELQA_DOWNLOADER_DIALOG 102   // the installer window
#define IDD_MESSAGEBOX 103                // the skinned message box

// Program icon.
#define IDR_MAINFRAME 128

// Skin images (type "PNG").
#define IDB_CHANGE_BUTTON 129             // "更改" button strip
#define IDB_CHECKBOX 130                  // check box, two columns
#define IDB_CLOSE 131                     // close cross of the installer window
#define IDB_PILL_BUTTON 133               // "安装" and "运行" buttons
#define IDB_PROGRESS_FILL 134             // progress bar fill
#define IDB_PROGRESS_TRACK 135            // progress bar track
#define IDB_BACKGROUND_FINISH 136         // finish page
#define IDB_BACKGROUND_WELCOME 137        // welcome page
#define IDB_BACKGROUND_PROGRESS 138       // progress page
#define IDB_MSGBOX_CLOSE 139              // close cross of the message box
#define IDB_MSGBOX_FILLED 140             // message box "否" and "好的" buttons
#define IDB_MSGBOX_OUTLINE 141            // message box "是" button
