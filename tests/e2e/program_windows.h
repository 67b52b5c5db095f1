#pragma once
// How PortGauge.exe's windows are found from outside: the class its main
// window and its message box share, their captions, and the report list's
// control id.

inline constexpr char kDialogClass[] = "#32770";
inline constexpr char kMainWindowTitle[] = "USB Port Driver Information";
inline constexpr char kUsb20Caption[] = "Has USB 2.0 Port";
inline constexpr char kUsb11Caption[] = "Has USB 1.1 Port";
inline constexpr int kReportListId = 101;
