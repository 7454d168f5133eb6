#include "ExecCondStr.h"

#include <iterator>

namespace zk {

namespace {

// Fields: id, first-parameter used, kind, relation used, value used, kind, flag, Name,
// first-parameter prompt, relation prompt, value prompt.
const char* const kConditionDefTable[] = {
    "|11|1|91|0|0| 0|0|File Found|Enter file name|||",
    "|12|1|91|0|0| 0|0|Directory Found|Enter directory name|||",
    "|13|1| 5|0|0| 0|0|Drive Found|Enter Drive letter A,B,C...|||",
    "|14|1|91|0|1| 0|0|Text Found in File|Enter File Name||Enter Search String|",
    "|21|1| 1|0|0| 0|1|Application Found|Enter application file name - sample: Winword.exe|||",
    "|22|1| 1|0|0| 0|1|Application Path Found|Enter application file name - sample: Winword.exe|||",
    "|23|1| 1|1|1| 0|1|Application Version is|Enter application file name - sample: "
    "Winword.exe|Select Condition Relation|Enter file version - Sample: 1.0.9.4|",
    "|31|1|91|0|0| 0|0|Exe is Running|Enter executable full path|||",
    "|32|1| 2|0|0| 0|0|Service is Running|Enter Service name|||",
    "|33|1| 4|0|0| 0|0|Operating System is in|Enter Operating Systems identifiers: 95, 98, ME, NT, "
    "2000, XP|||",
    "|34|1|91|1|1| 0|0|File Version is|Enter executable full path|Select Condition Relation|Enter "
    "file version - Sample: 1.0.9.4|",
    "|35|1|19|0|1|20|0|HWindow is Found|Enter Class Name||Enter Window Name|",
    "|41|1|92|0|0| 0|1|Registry Key Found|Enter Registry Key - sample: "
    "HKEY_CURRENT_USER\\Software\\Microsoft|||",
    "|42|1|92|0|1|92|1|Registry Value Found|Enter Registry Key - sample: "
    "HKEY_CURRENT_USER\\Software\\Microsoft||Enter Registry Value|",
    "|43|1|92|1|1|92|1|Registry Value is|Enter Registry Value Name - sample: "
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Excel|Select Condition Relation|Enter value - String "
    "or Integer|",
    "|44|1| 6|0|0| 0|0|Environment Variable Found|Enter Environment Variable name|||",
    "|45|1| 6|1|1| 0|0|Environment Variable Is|Enter Environment Variable name|Select Condition "
    "Relation|Enter string value (Case Sensitive)|",
    "|46|1| 6|1|1| 0|0|Environment Variable Is (UpCase)|Enter Environment Variable name|Select "
    "Condition Relation|Enter string value (Case InSensitive)|",
    "|51|0| 0|1|1| 0|1|Memory Size is (MB)||Select Condition Relation|Enter Memory available to "
    "Windows in MEGA-Bytes|",
    "|52|0| 0|1|1| 0|1|CPU Speed is (MHz)||Select Condition Relation|Enter CPU Speed in "
    "MEGA-Hertz|",
    "|53|0| 0|1|1| 7|1|Screen Resolution is||Select Condition Relation|Select Screen Resolution|",
    "|54|0| 0|1|1| 8|1|Color Depth is||Select Condition Relation|Select Color Depth|",
    "|61|0| 0|1|1|11|0|.NET Framework Version is||Select Condition Relation|Enter Version 1.0 or "
    "1.1|",
    "|62|0| 0|1|1|12|0|ADO(MDAC) Version is||Select Condition Relation|Enter Version|",
    "|63|1|13|0|0| 0|0|Visual Basic Runtime Found|Enter Version 5,6|||",
    "|71|1| 0|0|0| 0|1|Ask Yes/No|Enter message text|||",
    "|72|1| 0|0|0| 0|1|Ask OK/Cancel|Enter message text|||",
    "|73|1| 9|0|0| 0|1|Setup Type is||Select Condition Relation|Select Setup Type|",
    "|74|1|10|0|0| 0|1|Group Selected|Enter Group Name|||",
    "|75|1| 0|0|0| 0|0|User Name is|Enter User Name|||",
    "|76|1| 0|0|0| 0|0|Company Name is|Enter Comapny Name|||",
};

// Fields: id, parameter 1 used, kind, parameter 2 used, kind, parameter 3 used, kind, flag,
// Name, the three parameter prompts.
const char* const kOperationDefTable[] = {
    "|11|1|91|0| 0|0| 0|0|Delete File(s)|Enter file name, you can use wild card if required|||",
    "|12|1|91|1|91|0| 0|0|Copy File(s)|Enter file name, you can use wild card if required|Enter "
    "Target file name, you can use * as wild card if required||",
    "|13|1|91|1|91|0| 0|0|Move File(s)|Enter file name, you can use wild card if required|Enter "
    "Target file name, you can use * as wild card if required||",
    "|14|1|91|1| 0|0| 0|0|Rename File(s)|Enter file name, you can use wild card if required|Enter "
    "Target file name, you can use * as wild card if required||",
    "|15|1|91|1|16|0| 0|0|Set File(s) Attributes|Enter file name, you can use wild card if "
    "required|Enter Required File Atributes||",
    "|21|1|91|0| 0|0| 0|1|Remove Directory|Enter directory name|||",
    "|22|1|91|0| 0|0| 0|1|Force Remove Directory|Enter directory name|||",
    "|23|1|91|0| 0|0| 0|1|Set Working Directory|Enter directory name|||",
    "|24|1|91|1|91|0| 0|1|Copy Directory Tree|Enter source directory|Enter destination directory||",
    "|25|1|91|1|91|0| 0|1|Rename Directory|Enter source directory full path|Enter destination "
    "directory name||",
    "|26|1|18|1|91|0| 0|1|Set Folder To|Select Folder Name|Enter destination directory name||",
    "|27|1| 9|0| 0|0| 0|1|Set Setup Type|Select Setup Type|||",
    "|31|1| 1|0| 0|0| 0|0|Delete Application Executable|Enter application file name - sample: "
    "Winword.exe|||",
    "|32|1| 1|0| 0|0| 0|0|Remove Application Directory|Enter application file name - sample: "
    "Winword.exe|||",
    "|33|1| 3|0| 0|0| 0|0|UnInstall Application|Enter application descriptive name as appears "
    "under Add/Remove programs|||",
    "|34|1| 1|1|91|1|14|0|Run Application|Enter application file name - sample: Winword.exe|Enter "
    "Parameters|Enter Show Command|",
    "|35|1| 1|1|91|1|14|0|Run Application and Wait|Enter application file name - sample: "
    "Winword.exe|Enter Parameters|Enter Show Command|",
    "|41|1|91|1|91|1|14|1|Run Executable|Enter executable full path|Enter Parameters|Enter Show "
    "Command|",
    "|42|1|91|1|91|1|14|1|Run Executable and Wait|Enter executable full path|Enter "
    "Parameters|Enter Show Command|",
    "|43|1|91|1|91|1|14|1|Shell Execute|Enter file name|Enter Parameters|Enter Show Command|",
    "|44|1|91|1|91|0| 0|1|Shell Execute (Hide)|Enter file name|Enter Parameters||",
    "|51|1| 2|0| 0|0| 0|0|Start Service|Enter Service name|||",
    "|52|1| 2|0| 0|0| 0|0|Stop Service|Enter Service name|||",
    "|53|1|91|1| 0|1| 0|0|Create Service|Enter Service File Path|Enter Service name|Enter Service "
    "Display Name|",
    "|54|1| 2|0| 0|0| 0|0|Remove Service|Enter Service name|||",
    "|55|1|91|0| 0|0| 0|1|Register OCX/COM Server|Enter file name|||",
    "|56|1|91|0| 0|0| 0|1|UnRegister OCX/COM Server|Enter file name|||",
    "|61|1|92|0| 0|0| 0|0|Create Registry Key|Enter Registry Key|||",
    "|62|1|92|0| 0|0| 0|0|Remove Registry Key|Enter Registry Key|||",
    "|63|1|92|1|92|1|91|0|Create Registry Value (String)|Enter Registry Key|Enter Value Name|Enter "
    "STRING Value|",
    "|64|1|92|1|92|1| 0|0|Create Registry Value (Integer)|Enter Registry Key|Enter Value "
    "Name|Enter INTEGER Value|",
    "|65|1|92|1|92|1| 0|0|Create Registry Value (Hex)|Enter Registry Key|Enter Value Name|Enter "
    "HEX Value - Sample FF,00,01,3A|",
    "|66|1|92|1|92|0| 0|0|Remove Registry Value|Enter Registry Key|Enter Value Name||",
    "|71|1|91|1| 0|1|91|1|Write INI Item|Enter INI File Name|Enter INI Section|Enter Item=Data|",
    "|72|1|91|1| 0|1| 0|1|Delete INI Item|Enter INI File Name|Enter INI Section|Enter Item Name|",
    "|73|1| 6|1| 0|1|15|0|Create Environment Variable|Enter Variable Name|Enter Variable "
    "Value|Enter Variable Scope|",
    "|74|1| 6|1|15|0| 0|0|Remove Environment Variable|Enter Variable Name|Enter Variable Scope||",
    "|75|1|91|1| 0|0| 0|1|Append Text to a File|Enter file name|Enter text to be added (\\\\n for "
    "NewLine  \\\\t for TAB)||",
    "|76|1|91|1| 0|1| 0|1|Replace Text in File|Enter file name|Enter text to be Replaced|Enter "
    "Replacement|",
    "|81|1| 0|0| 0|0| 0|0|Set Space Req on Drive|Enter Required Space in MB - Sample: 15.3 - Use ! "
    "to set the original value|||",
    "|82|1| 0|0| 0|0| 0|0|ADD to Space Req on Drive|Enter Required Space in MB - Sample: 0.3|||",
    "|91|1| 0|0| 0|0| 0|1|Display Message|Enter Message text (\\\\n for NewLine  \\\\t for TAB)|||",
    "|92|1| 0|0| 0|0| 0|1|Wait (MS)|Enter the time to wait in Milli-Seconds|||",
    "|99|0| 0|0| 0|0| 0|1|Exit||||",
};

constexpr int kConditionRows = static_cast<int>(std::size(kConditionDefTable));
constexpr int kOperationRows = static_cast<int>(std::size(kOperationDefTable));
constexpr int kConditionNameField = 7;
constexpr int kOperationNameField = 8;

Text RowField(const char* const* table, int rows, int row, int field) {
    if (row < 0 || row >= rows) return {};
    return ListItem(table[row], field);
}

int RowId(const char* const* table, int rows, int row) {
    if (row < 0 || row >= rows) return -1;
    return StrToIntDef(ListItem(table[row], 0), -1);
}

int FindRow(const char* const* table, int rows, int nameField, const Text& name) {
    for (int row = 0; row < rows; ++row)
        if (TextEquals(ListItem(table[row], nameField), name)) return row;
    return -1;
}

} // namespace

int ConditionTypeFirst() {
    return 0;
}
int ConditionTypeLast() {
    return kConditionRows - 1;
}
int ConditionTypeId(int row) {
    return RowId(kConditionDefTable, kConditionRows, row);
}
Text ConditionTypeField(int row, int field) {
    return RowField(kConditionDefTable, kConditionRows, row, field);
}
Text ConditionTypeName(int row) {
    return ConditionTypeField(row, kConditionNameField);
}
int FindConditionType(const Text& name) {
    return FindRow(kConditionDefTable, kConditionRows, kConditionNameField, name);
}

int OperationTypeFirst() {
    return 0;
}
int OperationTypeLast() {
    return kOperationRows - 1;
}
int OperationTypeId(int row) {
    return RowId(kOperationDefTable, kOperationRows, row);
}
Text OperationTypeField(int row, int field) {
    return RowField(kOperationDefTable, kOperationRows, row, field);
}
Text OperationTypeName(int row) {
    return OperationTypeField(row, kOperationNameField);
}
int FindOperationType(const Text& name) {
    return FindRow(kOperationDefTable, kOperationRows, kOperationNameField, name);
}

} // namespace zk
