// Fixed control ids of every window, shared with the UI test driver (tests find controls by
// these ids). One block of ids per window; ids never change once published.
#pragma once

namespace zk::ids {

// Window classes of the own windows.
inline constexpr const char* MsgBoxClass = "ZMsgBox";
inline constexpr const char* AboutClass = "ZAboutForm";
inline constexpr const char* SrvBarClass = "ZSrvBarDlg";
inline constexpr const char* UninstallClass = "ZUninstallForm";
inline constexpr const char* BillboardClass = "ZBillboardForm";
inline constexpr const char* SliderClass = "ZSlider"; // the volume slider control
inline constexpr const char* SliderFormClass = "ZSliderForm";
inline constexpr const char* SetupMainClass = "ZSetupMainForm"; // the background window

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

// Uninstall window. The stage labels and their marks are numbered 1 to 6 in stage order.
inline constexpr int UnSidePanel = 2000;   // Panel2 with the side picture
inline constexpr int UnIntroText = 2001;   // RichEdit1: the S1 text
inline constexpr int UnStageLabel1 = 2011; // Label1 .. Label6: 2011 .. 2016
inline constexpr int UnStageMark1 = 2021;  // Image1 .. Image6: 2021 .. 2026
inline constexpr int UnMemo = 2030;        // Memo1: every item handled (shown in test mode)
inline constexpr int UnDoneLabel = 2031;   // Label7: the S2 text, shown when done
inline constexpr int UnBevel = 2032;
inline constexpr int UnBrandLabel = 2033; // Label21
inline constexpr int UnCompanyUrlLabel = 2034;
inline constexpr int UnLogButton = 2035;
inline constexpr int UnCloseButton = 2036;

// Billboard window.
inline constexpr int BillboardImage = 2400;       // Image1: the picture of a picture page
inline constexpr int BillboardCloseButton = 2401; // Button1

// Volume slider window; the slider control keeps its id wherever it sits.
inline constexpr int SliderFormSlider = 2500; // Slider1 of the floating window

// Background window (block 2600-2699).
inline constexpr int SetupMainImage = 2600; // Image1: the background picture

// Later windows take the next free block of 100 (wizard 1000-1999).

} // namespace zk::ids
