// Fixed control ids of every window, shared with the UI test driver (tests find controls by
// these ids). One block of ids per window; ids never change once published.
#pragma once

namespace zk::ids {

// Window classes of the own windows.
inline constexpr const char* MsgBoxClass = "ZMsgBox";
inline constexpr const char* AboutClass = "ZAboutForm";
inline constexpr const char* SrvBarClass = "ZSrvBarDlg";

// ZMsgBox: the body and up to three buttons, left to right.
inline constexpr int MsgBoxBody = 100;
inline constexpr int MsgBoxButton1 = 101;
inline constexpr int MsgBoxButton2 = 102;
inline constexpr int MsgBoxButton3 = 103;

// About box.
inline constexpr int AboutSidePanel = 200;  // Panel2 with the gradient (Image2)
inline constexpr int AboutTitleStrip = 201; // Panel3
inline constexpr int AboutCloseImage = 202; // Image1
inline constexpr int AboutText = 203;       // RichEdit1

// Service progress bar.
inline constexpr int SrvBarAction = 300;   // Label1
inline constexpr int SrvBarName = 301;     // Label2
inline constexpr int SrvBarProgress = 302; // ProgressBar1

// Later windows take the next free block of 100 (wizard 1000-1999, uninstall window 2000-).

} // namespace zk::ids
