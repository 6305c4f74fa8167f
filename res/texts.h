#pragma once
// Every text Vantorix shows or stores of its own, in one place, as UTF-16:
// the window talks to Windows in wide calls only, so these read the same
// whatever the system's code page. The dialog's own labels are in
// vantorix.rc, the mode list's entries in mode_list.txt.

// Status line
inline constexpr wchar_t kHintText[] = L"【拖拽txt文件到界面也可得到结果】";
// Before the caption while the counts are those of the editor's selection
inline constexpr wchar_t kSelectionPrefix[] = L"选中：";
inline constexpr wchar_t kCannotOpenText[] = L"无法获取文件大小";
inline constexpr wchar_t kReadFailedText[] = L"读取文件失败~";
// A file another program changed while it was counted: its counts are of
// no one text, so none show.
inline constexpr wchar_t kFileChangedText[] = L"文件在计算时被改动，请重新计算";
// vantorix-count gives the window's words for a refused file, in UTF-8.
#define VX_NOT_ANSI_TEXT "暂不支持非 ANSI 编码文件！"
inline constexpr wchar_t kNotAnsiText[] = L"" VX_NOT_ANSI_TEXT;
inline constexpr wchar_t kFrequencyTooLowText[] = L"计算频率不允许低于0.1";
inline constexpr wchar_t kFrequencyCappedText[] = L"计算频率过大，已改为最大值";  // + the value
inline constexpr wchar_t kFrequencyChangedText[] = L"更改计算频率生效";
inline constexpr wchar_t kTimerFailedText[] = L"无法启动计算定时器";

// The open-file dialog and the question before a file of another type
inline constexpr wchar_t kOpenFileTitle[] = L"请选择文件";
inline constexpr wchar_t kOpenFileFilter[] =
    L"纯文本文件 (*.txt、*.cpp、*.c、*.h、*.asm)|*.txt; *.cpp; *.c; *.h; *.asm||";
inline constexpr wchar_t kOpenFileDefaultExtension[] = L"DEM Files (*DEM)";
inline constexpr wchar_t kOtherTypeQuestion[] = L"该文件可能不是纯文本格式，是否继续分析？";
inline constexpr wchar_t kOtherTypeCaption[] = L"提示";

// The daily target dialog's refusal
inline constexpr wchar_t kDailyTargetCaption[] = L"每日目标";
inline constexpr wchar_t kDailyTargetRefusedText[] =
    L"请输入一个整数（例如 4000），或填 0、留空表示不设目标。";

// At exit, when today's writing cannot be saved: the history's path goes
// between the two parts.
inline constexpr wchar_t kHistoryUnsavedCaption[] = L"写作记录";
inline constexpr wchar_t kHistoryUnsavedText[] = L"今天的写作记录没能保存到\n";
inline constexpr wchar_t kHistoryUnsavedAdvice[] =
    L"\n\n文件可能正被 Excel 等程序打开。关闭它后点“重试”；点“取消”则不保存这次的记录。";
inline constexpr wchar_t kHistoryTooLargeAdvice[] =
    L"\n\n文件已超过 64 MB，读不进来，今天的记录也就加不进去。把它改名或移到别处后点“重试”，"
    L"会新建一个记录文件；点“取消”则不保存这次的记录。";

// Start-up's message boxes
inline constexpr wchar_t kSkinResourceMissingText[] = L" 读取自身资源文件失败 ~";
inline constexpr wchar_t kSkinLibraryFailedText[] = L"加载皮肤 dll 失败 ~";
inline constexpr wchar_t kSkinAttachFailedText[] = L"加载皮肤失败 ~";
inline constexpr wchar_t kAlteredProgramWarning[] =
    L"Vantorix 程序文件已被改动，可能已损坏或被篡改。\n为安全起见，程序将退出，请重新获取 Vantorix。";

// What the settings store leaves in its caller's buffer
inline constexpr wchar_t kSettingOpenFailedText[] = L"打开注册表失败";
inline constexpr wchar_t kSettingQueryFailedText[] = L"查询注册表失败";
inline constexpr wchar_t kSettingCreateFailedText[] = L"打开或创建注册表失败";
inline constexpr wchar_t kSettingWriteFailedText[] = L"写入信息失败";
inline constexpr wchar_t kSettingWrittenText[] = L"写入信息成功";
inline constexpr wchar_t kSettingBadOperationText[] = L"输入的参数错误";
