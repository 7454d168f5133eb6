#include "SKeywords.h"

#include <climits>
#include <string_view>
#include <unordered_map>

namespace zk {

namespace {

KeywordRow TextRow(const char* name, Text TScript::*member) {
    KeywordRow r{name, KeywordKind::Text};
    r.text = member;
    return r;
}

KeywordRow FlagRow(const char* name, bool TScript::*member) {
    KeywordRow r{name, KeywordKind::Flag};
    r.flag = member;
    return r;
}

KeywordRow NumberRow(const char* name, int TScript::*member, int lo, int hi, int notNumber) {
    KeywordRow r{name, KeywordKind::Integer};
    r.number = member;
    r.lo = lo;
    r.hi = hi;
    r.notNumber = notNumber;
    return r;
}

// Any 32-bit number is taken; other text stores notNumber.
KeywordRow IntRow(const char* name, int TScript::*member, int notNumber) {
    return NumberRow(name, member, INT_MIN, INT_MAX, notNumber);
}

// Out of range or not a number: the setting keeps its value.
KeywordRow RangeRow(const char* name, int TScript::*member, int lo, int hi) {
    return NumberRow(name, member, lo, hi, lo - 1);
}

KeywordRow AppendRow(const char* name, TextList TScript::*member) {
    KeywordRow r{name, KeywordKind::Append};
    r.list = member;
    return r;
}

KeywordRow UninstallRow(const char* name, const char* prefix, const char* suffix) {
    KeywordRow r{name, KeywordKind::UninstallLine};
    r.prefix = prefix;
    r.suffix = suffix;
    return r;
}

KeywordRow FixedUninstallRow(const char* name, const char* line) {
    KeywordRow r = UninstallRow(name, line, "");
    r.takesArgument = false;
    return r;
}

KeywordRow StructuralRow(const char* name, bool (TScript::*op)(const Text&)) {
    KeywordRow r{name, KeywordKind::Structural};
    r.op = op;
    return r;
}

} // namespace

std::span<const KeywordRow> KeywordTable::Rows() {
    static const KeywordRow rows[] = {
        TextRow("SET_PROG_NAME", &TScript::progName_),
        TextRow("SET_COMPOSER_BUILD", &TScript::composerBuild_),
        StructuralRow("SET_GROUP_DATA", &TScript::AddGroup),
        StructuralRow("SET_SUB_DIR", &TScript::SetSubDir),
        StructuralRow("SET_COPY_FILES", &TScript::AddCopyFiles),
        TextRow("SET_BG_BITMAP_FILE_NAME", &TScript::bgBitmapFileName_),
        TextRow("SET_BG_WAVE_FILE_NAME", &TScript::bgWaveFileName_),
        TextRow("SET_DIALOG_BITMAP_FILE_NAME", &TScript::dialogBitmapFileName_),
        FlagRow("SET_BG_BITMAP_TRANSPARENT", &TScript::bgBitmapTransparent_),
        FlagRow("SET_DIALOG_BITMAP_3D_FRAME", &TScript::dialogBitmap3DFrame_),
        FlagRow("SET_DIALOG_STYLE_MODERN", &TScript::dialogStyleModern_),
        TextRow("SET_TOP_LABEL_SIDE", &TScript::topLabelSide_),
        TextRow("SET_TOP_LABEL_FONT", &TScript::topLabelFont_),
        FlagRow("SET_TOP_LABEL_VER", &TScript::topLabelVer_),
        TextRow("SET_TOP_LABEL_SIDE_2", &TScript::topLabelSide2_),
        TextRow("SET_TOP_LABEL_FONT_2", &TScript::topLabelFont2_),
        TextRow("SET_TOP_LABEL_SIZE", &TScript::topLabelSize_),
        TextRow("SET_TOP_LABEL_STYLE", &TScript::topLabelStyle_),
        TextRow("SET_BOTTOM_LABEL_SIDE", &TScript::bottomLabelSide_),
        TextRow("SET_BOTTOM_LABEL_SIZE", &TScript::bottomLabelSize_),
        TextRow("SET_BOTTOM_LABEL_FONT", &TScript::bottomLabelFont_),
        TextRow("SET_BOTTOM_LABEL_STYLE", &TScript::bottomLabelStyle_),
        TextRow("SET_BG_BITMAP_LOCATION", &TScript::bgBitmapLocation_),
        TextRow("SET_BG_WAVE_LOCATION", &TScript::bgWaveLocation_),
        TextRow("SET_BG_WAVE_LOOP", &TScript::bgWaveLoop_),
        TextRow("SET_BG_WAVE_DELAY", &TScript::bgWaveDelay_),
        TextRow("SET_BG_WAVE_SLIDER", &TScript::bgWaveSlider_),
        IntRow("SET_BG_BITMAP_DX", &TScript::bgBitmapDx_, 0),
        IntRow("SET_BG_BITMAP_DY", &TScript::bgBitmapDy_, 0),
        TextRow("SET_DIALOG_LOCATION", &TScript::dialogLocation_),
        IntRow("SET_DIALOG_DX", &TScript::dialogDx_, 0),
        IntRow("SET_DIALOG_DY", &TScript::dialogDy_, 0),
        IntRow("SET_LANG_FLAG", &TScript::langFlag_, 1),
        TextRow("SET_LANG_NAMES", &TScript::langNames_),
        TextRow("SET_DELIVERY_FILES", &TScript::deliveryFiles_),
        TextRow("SET_COMPANY_URL", &TScript::companyUrl_),
        TextRow("SET_ORIGINAL_INFO_FILE_NAME", &TScript::originalInfoFileName_),
        TextRow("SET_AUTO_UPDATE_EXE_FILE_NAME", &TScript::autoUpdateExeFileName_),
        FlagRow("SET_RUN_AUTO_UPDATE_AT_STARTUP", &TScript::runAutoUpdateAtStartup_),
        TextRow("SET_LICENSE_FILE_NAME", &TScript::licenseFileName_),
        TextRow("SET_README_FILE_NAME", &TScript::readmeFileName_),
        TextRow("SET_README_FILE_NAME_2", &TScript::readmeFileName2_),
        TextRow("SET_EXECUTION_DLL_NAME", &TScript::executionDllName_),
        TextRow("SET_SPACE_REQ_ON_DRIVE", &TScript::spaceReqOnDrive_),
        TextRow("SET_TOP_LABEL_TEXT", &TScript::topLabelText_),
        TextRow("SET_TOP_LABEL_TEXT_2", &TScript::topLabelText2_),
        TextRow("SET_BOTTOM_LABEL_TEXT", &TScript::bottomLabelText_),
        TextRow("SET_PROG_VERSION", &TScript::progVersion_),
        TextRow("SET_COMPANY_NAME", &TScript::companyName_),
        TextRow("SET_COPYRIGHT_NOTICE", &TScript::copyrightNotice_),
        FlagRow("SET_SETUP_BACKGROUND", &TScript::setupBackground_),
        FlagRow("SET_REGISTER_AS_APPLICATION", &TScript::registerAsApplication_),
        FlagRow("SET_SPLIT_SETUP", &TScript::splitSetup_),
        FlagRow("SET_BOTTOM_BG_COLOR_REQ", &TScript::bottomBgColorReq_),
        TextRow("SET_TOP_BG_COLOR", &TScript::topBgColor_),
        TextRow("SET_BOTTOM_BG_COLOR", &TScript::bottomBgColor_),
        TextRow("SET_PROG_EXE_NAME", &TScript::progExeName_),
        TextRow("SET_TARGET_DIR", &TScript::targetDir_),
        TextRow("SET_COMMON_DIR", &TScript::commonDir_),
        TextRow("SET_AUX_DIR", &TScript::auxDir_),
        TextRow("SET_PROG_STAMP", &TScript::progStamp_),
        TextRow("SET_RUN_TIME_DIR_1", &TScript::runTimeDir1_),
        TextRow("SET_RUN_TIME_DIR_2", &TScript::runTimeDir2_),
        TextRow("SET_RUN_TIME_DIR_3", &TScript::runTimeDir3_),
        TextRow("SET_START_PROGRAM_LINK_FOLDER", &TScript::startProgramLinkFolder_),
        TextRow("SET_START_PROGRAM_LINK_NAME", &TScript::startProgramLinkName_),
        TextRow("SET_START_PROGRAM_LINK_PARAM", &TScript::startProgramLinkParam_),
        TextRow("SET_START_PROGRAM_LINK_WORKDIR", &TScript::startProgramLinkWorkDir_),
        TextRow("SET_START_PROGRAM_LINK_RUN", &TScript::startProgramLinkRun_),
        TextRow("SET_START_PROGRAM_LINK_ICON_FILE", &TScript::startProgramLinkIconFile_),
        TextRow("SET_START_PROGRAM_LINK_ICON_NUM", &TScript::startProgramLinkIconNum_),
        AppendRow("SET_START_PROGRAM_LINK_ITEM", &TScript::programGroupItems_),
        TextRow("SET_START_MENU_LINK_NAME", &TScript::startMenuLinkName_),
        TextRow("SET_DESKTOP_LINK_NAME", &TScript::desktopLinkName_),
        TextRow("SET_SENDTO_LINK_NAME", &TScript::sendToLinkName_),
        TextRow("SET_STARTUP_LINK_NAME", &TScript::startupLinkName_),
        TextRow("SET_QUICK_LAUNCH_LINK_NAME", &TScript::quickLaunchLinkName_),
        FlagRow("SET_ALL_USERS", &TScript::allUsers_),
        FlagRow("SET_FORCE_REMOVE_SHORTCUT_FOLDER", &TScript::forceRemoveShortcutFolder_),
        StructuralRow("SET_DIALOGS", &TScript::SetPageList),
        FlagRow("SET_REQUEST_USER_NAME", &TScript::requestUserName_),
        FlagRow("SET_REQUEST_COMPANY_NAME", &TScript::requestCompanyName_),
        FlagRow("SET_CD_SETUP", &TScript::cdSetup_),
        FlagRow("SET_SHOW_COMPACT_SETUP", &TScript::showCompactSetup_),
        FlagRow("SET_FORCE_PARTIAL_SETUP", &TScript::forcePartialSetup_),
        FlagRow("SET_SHOW_PROG_BAR_2", &TScript::showProgBar2_),
        FlagRow("SET_USE_NOTEPAD", &TScript::useNotepad_),
        FlagRow("SET_PROPOSE_README", &TScript::proposeReadme_),
        FlagRow("SET_PROPOSE_LAUNCH", &TScript::proposeLaunch_),
        FlagRow("SET_PROPOSE_RESTART", &TScript::proposeRestart_),
        FlagRow("SET_PROPOSE_README_CHECKED", &TScript::proposeReadmeChecked_),
        FlagRow("SET_PROPOSE_LAUNCH_CHECKED", &TScript::proposeLaunchChecked_),
        FlagRow("SET_SHOW_CLOSE_RECOMMENDATION", &TScript::showCloseRecommendation_),
        FlagRow("SET_SHOW_ADWARE_DISCLAIMER", &TScript::showAdwareDisclaimer_),
        FlagRow("SET_SHOW_COPYRIGHT_WARNING", &TScript::showCopyrightWarning_),
        FlagRow("SET_ADD_BILLBOARD", &TScript::addBillboard_),
        AppendRow("SET_BILLBOARD_FILE", &TScript::billboardFiles_),
        AppendRow("SET_DIALOG_IMAGE", &TScript::pageImages_),
        TextRow("SET_BILLBOARD_DATA", &TScript::billboardData_),
        FlagRow("SET_OPEN_WITH", &TScript::openWith_),
        TextRow("SET_OPEN_WITH_NAME", &TScript::openWithName_),
        TextRow("SET_OPEN_WITH_MENU_TEXT", &TScript::openWithMenuText_),
        TextRow("SET_OPEN_WITH_EXTENSIONS", &TScript::openWithExtensions_),
        TextRow("SET_ALLOWED_OS", &TScript::allowedOs_),
        RangeRow("SET_OVERWRITE_FLAG", &TScript::overwriteFlag_, 0, 4),
        RangeRow("SET_GLOBAL_OVERWRITE_FLAG", &TScript::globalOverwriteFlag_, 1, 4),
        FlagRow("SET_USE_COPY", &TScript::useCopy_),
        FlagRow("SET_SILENT_SETUP", &TScript::silentSetup_),
        FlagRow("SET_TEST_ADMIN_RIGHTS", &TScript::testAdminRights_),
        FlagRow("SET_TEST_ADMIN_RIGHTS_UNINSTALL", &TScript::testAdminRightsUninstall_),
        FlagRow("SET_TEST_FOR_DOT_NET_FRAMEWORK", &TScript::testForDotNetFramework_),
        FlagRow("SET_TEST_EXE_BEFORE_INSTALL", &TScript::testExeBeforeInstall_),
        FlagRow("SET_TEST_EXE_BEFORE_UNINSTALL", &TScript::testExeBeforeUninstall_),
        FlagRow("SET_CREATE_UNINSTALL", &TScript::createUninstall_),
        FlagRow("SET_SCRAMBLE_UNINSTALL", &TScript::scrambleUninstall_),
        FlagRow("SET_HIDE_ERR_MSG_UNINSTALL", &TScript::hideErrMsgUninstall_),
        FlagRow("SET_HIDE_LOG_BTN_UNINSTALL", &TScript::hideLogBtnUninstall_),
        FlagRow("SET_CREATE_SETUP_LOG", &TScript::createSetupLog_),
        AppendRow("SET_PERFORM_REGISTRY_OP", &TScript::registryRows_),
        AppendRow("SET_PERFORM_INIFILE_OP", &TScript::iniRows_),
        AppendRow("SET_PERFORM_ENVIRONMENT_OP", &TScript::environmentRows_),
        AppendRow("SET_PERFORM_EXECUTE_OP", &TScript::executeItems_),
        AppendRow("SET_ADD_ASSOCIATION_ITEM", &TScript::associationRows_),
        StructuralRow("SET_COPY_TO_UNINSTALL", &TScript::SetCopyToUninstall),
        AppendRow("SET_WIN_EXEC", &TScript::programRuns_),
        AppendRow("SET_START_SERVICE", &TScript::serviceStarts_),
        AppendRow("SET_STOP_SERVICE", &TScript::serviceStops_),
        UninstallRow("SET_REMOVE_REG_KEY", "REMOVE_REG_KEY(", ")"),
        UninstallRow("SET_REMOVE_ABSOLUTE_FILE", "REMOVE_FILE(", ")"),
        UninstallRow("SET_REMOVE_ABSOLUTE_DIR", "REMOVE_DIR(", ")"),
        UninstallRow("SET_FORCE_REMOVE_ABSOLUTE_DIR", "FORCE_REMOVE_DIR(", ")"),
        UninstallRow("SET_FORCE_REMOVE_TARGET_SUB_DIR", "FORCE_REMOVE_DIR(<TARGET_DIR>\\", ")"),
        FixedUninstallRow("SET_FORCE_REMOVE_TARGET_DIR", "FORCE_REMOVE_DIR(<TARGET_DIR>)"),
    };
    return rows;
}

KeywordResult KeywordTable::Apply(TScript& script, const Text& keyword, const Text& argument) {
    static const auto index = [] {
        std::unordered_map<std::string_view, const KeywordRow*> map;
        for (const KeywordRow& row : Rows()) map.emplace(row.name, &row);
        return map;
    }();
    auto found = index.find(keyword);
    if (found == index.end()) return KeywordResult::Unknown;
    const KeywordRow& row = *found->second;
    switch (row.kind) {
    case KeywordKind::Text:
        script.*row.text = argument;
        break;
    case KeywordKind::Flag:
        script.*row.flag = true;
        break;
    case KeywordKind::Integer: {
        int value = StrToIntDef(argument, row.notNumber);
        if (value >= row.lo && value <= row.hi) script.*row.number = value;
        break;
    }
    case KeywordKind::Append:
        (script.*row.list).push_back(argument);
        break;
    case KeywordKind::UninstallLine:
        script.AddUninstallLine(row.prefix + (row.takesArgument ? argument : Text()) + row.suffix);
        break;
    case KeywordKind::Structural:
        if (!(script.*row.op)(argument)) return KeywordResult::Rejected;
        break;
    }
    return KeywordResult::Stored;
}

} // namespace zk
