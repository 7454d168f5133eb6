// The settings object of the setup script: one member per keyword, the file groups with their
// copy rows, the page list with its cursor and the rows later steps replay. Settings are kept as
// the script wrote them; readers expand folder macros themselves. Pure text code.
#pragma once
#include <functional>
#include <unordered_map>
#include <vector>

#include "Utils.h"

namespace zk {

using TextList = std::vector<Text>;

// One SET_GROUP_DATA: the group row and its copy rows "overwrite|sub-folder|files".
struct FileGroup {
    Text row;
    TextList entries;
};

// Receives the text of the "Unrecognized command" box for one script line.
using ScriptErrorSink = std::function<void(const Text& message)>;

class TScript {
  public:
    void Clear() { *this = TScript(); }
    // Reads the script file (plain or scrambled); false when it does not exist.
    bool LoadFromFile(const Text& path, const ScriptErrorSink& onError);

    // --- Settings, named after their keywords. ---
    Text GetBgBitmapFileName() const { return bgBitmapFileName_; }
    bool GetBgBitmapTransparent() const { return bgBitmapTransparent_; }
    bool GetDialogBitmap3DFrame() const { return dialogBitmap3DFrame_; }
    bool GetDialogStyleModern() const { return dialogStyleModern_; }
    Text GetDialogBitmapFileName() const { return dialogBitmapFileName_; }
    Text GetTopLabelSide() const { return topLabelSide_; }
    Text GetTopLabelFont() const { return topLabelFont_; }
    bool GetTopLabelVer() const { return topLabelVer_; }
    Text GetTopLabelSide2() const { return topLabelSide2_; }
    Text GetTopLabelFont2() const { return topLabelFont2_; }
    Text GetBottomLabelSide() const { return bottomLabelSide_; }
    Text GetBottomLabelFont() const { return bottomLabelFont_; }
    Text GetBgBitmapLocation() const { return bgBitmapLocation_; }
    Text GetBgWaveFileName() const { return bgWaveFileName_; }
    Text GetBgWaveLocation() const { return bgWaveLocation_; }
    Text GetBgWaveLoop() const { return bgWaveLoop_; }
    Text GetBgWaveDelay() const { return bgWaveDelay_; }
    Text GetBgWaveSlider() const { return bgWaveSlider_; }
    Text GetDialogLocation() const { return dialogLocation_; }
    int GetLangFlag() const { return langFlag_; }
    Text GetLangNames() const { return langNames_; }
    Text GetDeliveryFiles() const { return deliveryFiles_; }
    Text GetCompanyUrl() const { return companyUrl_; }
    Text GetOriginalInfoFileName() const { return originalInfoFileName_; }
    Text GetAutoUpdateExeFileName() const { return autoUpdateExeFileName_; }
    bool GetRunAutoUpdateAtStartup() const { return runAutoUpdateAtStartup_; }
    Text GetLicenseFileName() const { return licenseFileName_; }
    Text GetReadmeFileName() const { return readmeFileName_; }
    Text GetReadmeFileName2() const { return readmeFileName2_; }
    Text GetExecutionDllName() const { return executionDllName_; }
    Text GetSpaceReqOnDrive() const { return spaceReqOnDrive_; }
    Text GetTopLabelText() const { return topLabelText_; }
    Text GetTopLabelText2() const { return topLabelText2_; }
    Text GetBottomLabelText() const { return bottomLabelText_; }
    Text GetProgName() const { return progName_; }
    Text GetComposerBuild() const { return composerBuild_; }
    Text GetProgVersion() const { return progVersion_; }
    Text GetCompanyName() const { return companyName_; }
    bool GetRegisterAsApplication() const { return registerAsApplication_; }
    bool GetSetupBackground() const { return setupBackground_; }
    bool GetBottomBgColorReq() const { return bottomBgColorReq_; }
    Text GetTopBgColor() const { return topBgColor_; }
    Text GetBottomBgColor() const { return bottomBgColor_; }
    Text GetProgExeName() const { return progExeName_; }
    Text GetTargetDir() const { return targetDir_; }
    Text GetCommonDir() const { return commonDir_; }
    Text GetAuxDir() const { return auxDir_; }
    Text GetProgStamp() const { return progStamp_; }
    Text GetRunTimeDir1() const { return runTimeDir1_; }
    Text GetRunTimeDir2() const { return runTimeDir2_; }
    Text GetRunTimeDir3() const { return runTimeDir3_; }
    Text GetStartProgramLinkFolder() const { return startProgramLinkFolder_; }
    Text GetStartProgramLinkName() const { return startProgramLinkName_; }
    Text GetStartProgramLinkParam() const { return startProgramLinkParam_; }
    Text GetStartProgramLinkWorkDir() const { return startProgramLinkWorkDir_; }
    Text GetStartProgramLinkRun() const { return startProgramLinkRun_; }
    Text GetStartProgramLinkIconFile() const { return startProgramLinkIconFile_; }
    Text GetStartProgramLinkIconNum() const { return startProgramLinkIconNum_; }
    Text GetStartMenuLinkName() const { return startMenuLinkName_; }
    Text GetDesktopLinkName() const { return desktopLinkName_; }
    Text GetSendToLinkName() const { return sendToLinkName_; }
    Text GetStartupLinkName() const { return startupLinkName_; }
    Text GetQuickLaunchLinkName() const { return quickLaunchLinkName_; }
    Text GetAllowedOs() const { return allowedOs_; }
    Text GetBillboardData() const { return billboardData_; }
    bool GetOpenWith() const { return openWith_; }
    Text GetOpenWithName() const { return openWithName_; }
    Text GetOpenWithMenuText() const { return openWithMenuText_; }
    Text GetOpenWithExtensions() const { return openWithExtensions_; }
    bool GetSilentSetup() const { return silentSetup_; }
    // Background-update mode runs without wizard pages, whatever the script says.
    void SetSilentSetup() { silentSetup_ = true; }
    bool GetTestAdminRights() const { return testAdminRights_; }
    bool GetTestAdminRightsUninstall() const { return testAdminRightsUninstall_; }
    bool GetTestForDotNetFramework() const { return testForDotNetFramework_; }
    bool GetTestExeBeforeInstall() const { return testExeBeforeInstall_; }
    bool GetTestExeBeforeUninstall() const { return testExeBeforeUninstall_; }
    bool GetUseCopy() const { return useCopy_; }
    bool GetCreateUninstall() const { return createUninstall_; }
    bool GetScrambleUninstall() const { return scrambleUninstall_; }
    bool GetHideErrMsgUninstall() const { return hideErrMsgUninstall_; }
    bool GetHideLogBtnUninstall() const { return hideLogBtnUninstall_; }
    bool GetCreateSetupLog() const { return createSetupLog_; }
    int GetOverwriteFlag() const { return overwriteFlag_; }
    int GetGlobalOverwriteFlag() const { return globalOverwriteFlag_; }
    bool GetAllUsers() const { return allUsers_; }
    bool GetForceRemoveShortcutFolder() const { return forceRemoveShortcutFolder_; }
    bool GetRequestUserName() const { return requestUserName_; }
    bool GetRequestCompanyName() const { return requestCompanyName_; }
    bool GetCdSetup() const { return cdSetup_; }
    bool GetShowCompactSetup() const { return showCompactSetup_; }
    bool GetForcePartialSetup() const { return forcePartialSetup_; }
    bool GetShowProgBar2() const { return showProgBar2_; }
    bool GetUseNotepad() const { return useNotepad_; }
    bool GetProposeReadme() const { return proposeReadme_; }
    bool GetProposeLaunch() const { return proposeLaunch_; }
    bool GetProposeRestart() const { return proposeRestart_; }
    bool GetProposeReadmeChecked() const { return proposeReadmeChecked_; }
    bool GetProposeLaunchChecked() const { return proposeLaunchChecked_; }
    bool GetShowCloseRecommendation() const { return showCloseRecommendation_; }
    bool GetShowAdwareDisclaimer() const { return showAdwareDisclaimer_; }
    bool GetShowCopyrightWarning() const { return showCopyrightWarning_; }
    bool GetAddBillboard() const { return addBillboard_; }

    Text GetSubDir() const { return subDir_; }
    bool GetUsesCommonFolder() const { return usesCommonFolder_; }
    bool GetUsesAuxiliaryFolder() const { return usesAuxiliaryFolder_; }
    bool GetCopyToUninstall() const { return copyToUninstall_; }

    // --- Lists, in script order. ---
    const std::vector<FileGroup>& GetFileGroups() const { return fileGroups_; }
    const TextList& GetProgramGroupItems() const { return programGroupItems_; }
    const TextList& GetUninstallLines() const { return uninstallLines_; }
    const TextList& GetProgramRuns() const { return programRuns_; }
    const TextList& GetServiceStarts() const { return serviceStarts_; }
    const TextList& GetServiceStops() const { return serviceStops_; }
    const TextList& GetRegistryRows() const { return registryRows_; }
    const TextList& GetIniRows() const { return iniRows_; }
    const TextList& GetEnvironmentRows() const { return environmentRows_; }
    const TextList& GetAssociationRows() const { return associationRows_; }
    const TextList& GetExecuteItems() const { return executeItems_; }
    const TextList& GetBillboardFiles() const { return billboardFiles_; }
    const TextList& GetPageImages() const { return pageImages_; }
    void AddUninstallLine(const Text& line) { uninstallLines_.push_back(line); }

    // --- Structural keywords; false when the line's copy row had no group to go into. ---
    bool AddGroup(const Text& row);
    bool SetSubDir(const Text& folder);
    bool AddCopyFiles(const Text& files);
    bool SetPageList(const Text& pages);
    bool SetCopyToUninstall(const Text& ignored);

    // --- Page list: "," + SET_DIALOGS + ","; the cursor is not bounded by the list. ---
    void SelectPage(const Text& name);
    void SetPageIndex(int index) { pageIndex_ = index; }
    int GetPageIndex() const { return pageIndex_; }
    void NextPage() { ++pageIndex_; }
    void PrevPage() { --pageIndex_; }
    Text GetCurrentPage() const;
    bool HasPage(const Text& text) const;
    Text GetPageList() const { return pageList_; }

    // Drops one use of the path's file name; true while a later copy row still needs it.
    bool ReleaseFileName(const Text& path);

  private:
    friend class KeywordTable;

    Text bgBitmapFileName_, dialogBitmapFileName_, topLabelSide_, topLabelSize_, topLabelFont_,
        topLabelSide2_, topLabelFont2_, topLabelStyle_, bottomLabelSide_, bottomLabelSize_,
        bottomLabelFont_, bottomLabelStyle_, bgBitmapLocation_, bgWaveFileName_, bgWaveLocation_,
        bgWaveLoop_, bgWaveDelay_, bgWaveSlider_, dialogLocation_, langNames_, deliveryFiles_,
        companyUrl_, originalInfoFileName_, autoUpdateExeFileName_, licenseFileName_,
        readmeFileName_, readmeFileName2_, executionDllName_, spaceReqOnDrive_, topLabelText_,
        topLabelText2_, bottomLabelText_, progName_, composerBuild_, progVersion_, companyName_,
        copyrightNotice_, progExeName_, targetDir_, commonDir_, auxDir_, progStamp_, runTimeDir1_,
        runTimeDir2_, runTimeDir3_, startProgramLinkFolder_, startProgramLinkName_,
        startProgramLinkParam_, startProgramLinkWorkDir_, startProgramLinkRun_,
        startProgramLinkIconFile_, startProgramLinkIconNum_, startMenuLinkName_, desktopLinkName_,
        sendToLinkName_, startupLinkName_, quickLaunchLinkName_, allowedOs_, billboardData_,
        openWithName_, openWithMenuText_, openWithExtensions_;
    Text topBgColor_ = "16711680", bottomBgColor_ = "0"; // decimal colour texts
    bool bgBitmapTransparent_ = false, dialogBitmap3DFrame_ = false, dialogStyleModern_ = false,
         topLabelVer_ = false, runAutoUpdateAtStartup_ = false, registerAsApplication_ = false,
         splitSetup_ = false, setupBackground_ = false, bottomBgColorReq_ = false,
         openWith_ = false, silentSetup_ = false, testAdminRights_ = false,
         testAdminRightsUninstall_ = false, testForDotNetFramework_ = false,
         testExeBeforeInstall_ = false, testExeBeforeUninstall_ = false, useCopy_ = false,
         createUninstall_ = false, scrambleUninstall_ = false, hideErrMsgUninstall_ = false,
         hideLogBtnUninstall_ = false, createSetupLog_ = false, allUsers_ = false,
         forceRemoveShortcutFolder_ = false, requestUserName_ = false, requestCompanyName_ = false,
         cdSetup_ = false, showCompactSetup_ = false, forcePartialSetup_ = false,
         showProgBar2_ = false, useNotepad_ = false, proposeReadme_ = false, proposeLaunch_ = false,
         proposeRestart_ = false, proposeReadmeChecked_ = false, proposeLaunchChecked_ = false,
         showCloseRecommendation_ = false, showAdwareDisclaimer_ = false,
         showCopyrightWarning_ = false, addBillboard_ = false;
    int bgBitmapDx_ = 0, bgBitmapDy_ = 0, dialogDx_ = 0, dialogDy_ = 0, langFlag_ = 1,
        overwriteFlag_ = 0, globalOverwriteFlag_ = 1;

    Text subDir_;
    bool usesCommonFolder_ = false, usesAuxiliaryFolder_ = false, copyToUninstall_ = false,
         subDirPending_ = false;
    int pageIndex_ = 0;
    Text pageList_;

    std::vector<FileGroup> fileGroups_;
    // Source file names of all copy rows (upper case) with their number of uses.
    std::unordered_map<Text, int> sourceFileUses_;
    TextList programGroupItems_, uninstallLines_, programRuns_, serviceStarts_, serviceStops_,
        registryRows_, iniRows_, environmentRows_, associationRows_, executeItems_, billboardFiles_,
        pageImages_;
};

} // namespace zk
