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
inline constexpr const char* WizardClass = ".SDialog_Class_Name.";
inline constexpr const char* ExitSetupClass = "ZExitSetupForm";
inline constexpr const char* ReadmeClass = "ZReadmeForm";
inline constexpr const char* CopyBarClass = "ZCopyBarForm";

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

// Copy-progress window (block 2300-2399).
inline constexpr int CopyBarProgress = 2300; // ProgressBar1
inline constexpr int CopyBarCancel = 2301;   // CancelButton

// Billboard window.
inline constexpr int BillboardImage = 2400;       // Image1: the picture of a picture page
inline constexpr int BillboardCloseButton = 2401; // Button1

// Volume slider window; the slider control keeps its id wherever it sits.
inline constexpr int SliderFormSlider = 2500; // Slider1 of the floating window

// Background window (block 2600-2699).
inline constexpr int SetupMainImage = 2600; // Image1: the background picture

// Setup wizard: the frame, then one block of 50 per sheet (TabSheet1 .. TabSheet12).
inline constexpr int NextButton = 1001;
inline constexpr int BackButton = 1002;
inline constexpr int CancelButton = 1003;
inline constexpr int Bevel1 = 1004;
inline constexpr int CompanyUrlLabel = 1005;
inline constexpr int Label21 = 1006;
inline constexpr int Panel1 = 1007; // picture panel, the header in the modern layout
inline constexpr int Image1 = 1008;
inline constexpr int Label2 = 1009; // page title of the modern header
inline constexpr int Bevel2 = 1010;
inline constexpr int Panel0 = 1011; // the page area
// Welcome (TabSheet1)
inline constexpr int RichEdit1 = 1050;
// License (TabSheet2)
inline constexpr int Label1 = 1100;
inline constexpr int RichEdit11 = 1101;
inline constexpr int Label3 = 1102;
inline constexpr int YesRadioButton = 1103;
inline constexpr int NoRadioButton = 1104;
// Readme (TabSheet3)
inline constexpr int Label10 = 1150;
inline constexpr int RichEdit12 = 1151;
// User information (TabSheet4)
inline constexpr int RichEdit9 = 1200;
inline constexpr int Label11 = 1201;
inline constexpr int NameEdit = 1202;
inline constexpr int Label12 = 1203;
inline constexpr int CompanyEdit = 1204;
// Destination (TabSheet5)
inline constexpr int RichEdit2 = 1250;
inline constexpr int GroupBox1 = 1251;
inline constexpr int BrowseButton = 1252;
inline constexpr int TargetDirEdit = 1253;
inline constexpr int Label22 = 1254;
inline constexpr int Label23 = 1255;
inline constexpr int Label24 = 1256;
inline constexpr int Label25 = 1257;
// Setup type (TabSheet6)
inline constexpr int RichEdit7 = 1300;
inline constexpr int TypicalRadioButton = 1301;
inline constexpr int CompactRadioButton = 1302;
inline constexpr int CustomRadioButton = 1303;
inline constexpr int Label17 = 1304;
inline constexpr int Label18 = 1305;
inline constexpr int Label19 = 1306;
// Components (TabSheet7)
inline constexpr int RichEdit8 = 1350;
inline constexpr int Label16 = 1351;
inline constexpr int CheckListBox1 = 1352;
inline constexpr int Label20 = 1353;
inline constexpr int Memo4 = 1354;
// Shortcuts (TabSheet8)
inline constexpr int RichEdit3 = 1400;
inline constexpr int Label9 = 1401;
inline constexpr int ProgramShortCutEdit = 1402;
inline constexpr int StartMenuCheckBox = 1403;
inline constexpr int DesktopCheckBox = 1404;
inline constexpr int SendToCheckBox = 1405;
inline constexpr int StartUpCheckBox = 1406;
inline constexpr int QuickLaunchCheckBox = 1407;
// Confirm (TabSheet9)
inline constexpr int RichEdit4 = 1450;
inline constexpr int Memo1 = 1451;
inline constexpr int Panel4 = 1452;
// Copy (TabSheet10)
inline constexpr int Label5 = 1500;
inline constexpr int Label7 = 1501;
inline constexpr int ProgressBar1 = 1502;
inline constexpr int ProgressBar2 = 1503;
inline constexpr int Slider1 = 1504;
inline constexpr int Image2 = 1505; // the speaker beside Slider1
// Complete (TabSheet11)
inline constexpr int RichEdit5 = 1550;
inline constexpr int DisplayReadmeCheckBox = 1551;
inline constexpr int LaunchCheckBox = 1552;
inline constexpr int GroupBox2 = 1553;
inline constexpr int RadioButton1 = 1554;
inline constexpr int RadioButton2 = 1555;
inline constexpr int RichEdit10 = 1556;
// Associate (TabSheet12)
inline constexpr int RichEdit6 = 1600;
inline constexpr int Label14 = 1601;
inline constexpr int CheckListBox2 = 1602;

// Exit confirmation.
inline constexpr int ExitSetupImage = 2100;  // Image1
inline constexpr int ExitSetupMemo = 2101;   // Memo1
inline constexpr int ExitSetupExit = 2102;   // Exit
inline constexpr int ExitSetupResume = 2103; // Resume

// Readme window.
inline constexpr int ReadmeText = 2200;   // RichEdit1
inline constexpr int ReadmeStatus = 2201; // StatusBar1

// Later windows take the next free block of 100.

} // namespace zk::ids
