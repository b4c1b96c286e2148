#pragma once

// Resource ids of the installer.

// Dialog templates.
#define IDD_ZELQA_DOWNLOADER_DIALOG 102 // the installer window
#define IDD_MESSAGEBOX 103              // the skinned message box

// Program icon.
#define IDR_MAINFRAME 128

// Skin images (type "PNG").
#define IDB_CHANGE_BUTTON 129       // "更改" button strip
#define IDB_CHECKBOX 130            // check box, two columns
#define IDB_CLOSE 131               // close cross of the installer window
#define IDB_PILL_BUTTON 133         // "安装" and "运行" buttons
#define IDB_PROGRESS_FILL 134       // progress bar fill
#define IDB_PROGRESS_TRACK 135      // progress bar track
#define IDB_BACKGROUND_FINISH 136   // finish page
#define IDB_BACKGROUND_WELCOME 137  // welcome page
#define IDB_BACKGROUND_PROGRESS 138 // progress page
#define IDB_MSGBOX_CLOSE 139        // close cross of the message box
#define IDB_MSGBOX_FILLED 140       // message box "否" and "好的" buttons
#define IDB_MSGBOX_OUTLINE 141      // message box "是" button

// Controls of the installer window that no command reaches.
#define IDC_LABEL_TITLE 10021       // title bar text
#define IDC_LABEL_AGREE 10022       // "已阅读并同意"
#define IDC_LABEL_INSTALL_TO 10023  // "安装到："
#define IDC_LABEL_SMALL_TITLE 10024 // progress page title
#define IDC_LABEL_FEATURE1 10025    // progress page feature lines
#define IDC_LABEL_FEATURE2 10026
#define IDC_LABEL_FEATURE3 10027
#define IDC_LABEL_SLOGAN 10028 // finish page slogan
#define IDC_LABEL_STATUS 10029 // "正在安装中，请稍等..."
#define IDC_LABEL_FAILED 10030 // "安装失败，"
#define IDC_LABEL_DONE 10031   // "安装完成"
#define IDC_PATH_EDIT 10041    // the install location box
#define IDC_PROGRESS 10042     // the download and install progress bar
