#include "app/frame/ProgramMacros.h"

#include "app/frame/AppFrame.h"
#include "platform/UserFolders.h"

#include <QFileInfo>

namespace {
// Registry-style keys keep "\" between segments (they name keys of the settings store);
// file paths use "/".
const char16_t* const kProgramMacros[] = {
    u"AppName=Vellumo",
    u"SysHelpFile=$(ExeNameNoExt).chm",
    u"SysMsgUnexpected=予期しないエラーが発生しました$(CRLF)%s",
    u"SysMsgTwainErr=TWAINでエラーが発生しました。$(CRLF)TWAINドライバあるいはTWAIN機器に問題があると$(CRLF)思われます$(CRLF)「%s」",
    u"SysMsgNotDefaultPrinter=通常使うプリンタがセットされていません$(CRLF)コントロールパネルのプリンタを開いて設定してください",
    u"SysMsgNotEnoughColor=「$(AppName)」は、32,000色以上の$(CRLF)表示環境でご使用ください。$(CRLF)正しく表示できないことがありますが起動しますか？",
    u"SysMsgAlreadyRun=$(AppName)は、すでに実行中です",
    u"SysMutexID=$(AppName).$(VerID).Quilmont.Japan",
    u"SysMsgCDNotFound=%sが見つかりません$(CRLF)$(AppName)をインストールしなおしてください。",
    u"SysRegistryKey=Software\\Tolvarin\\$(AppID)\\$(VerID)\\Settings",
    u"SysKeyFile=",
    u"SysApplicationFolder=",
    u"SysInstallKey=Tolvarin.$(AppID).Application",
    u"ProductDB=$(ExeNameNoExt).cdb",
    u"SystemPaperInfo=$(SystemPreferenceFolder)$(ExeName).ppr",
    u"CoonsDistortionData=$(ExeNameNoExt).cdd",
    u"UserImageHistory=$(SysRegistryKey)\\UserImageHistory",
    u"OpenFileHistory=$(SysRegistryKey)\\OpenFileHistory",
    u"CDPathHistory=$(SysRegistryKey)\\CDPathHistory",
    u"WindowColors=$(SysRegistryKey)\\WindowColors",
    u"LabelDataHistory=$(SysRegistryKey)\\LabelDataHistory",
    u"TitleBarFormat=$(AppName) - %s",
    u"PrintTitleFormat=%s - $(AppName)",
    u"FindPaperHistory=$(SysRegistryKey)\\FindPaperHistory",
    u"UsedPaperHistory=$(SysRegistryKey)\\UsedPaperHistory",
    u"OpenDataFilter=%sデータ(*.%s)|*.%s|すべてのファイル(*.*)|*.*",
    u"UserPreferenceFolder=$(AppDataDir)$(AppName)/$(VerID)/",
    u"SystemPreferenceFolder=$(ExeDir)",
    u"ColorSpecHistory=$(UserPreferenceFolder)ColorSpec.hst",
    u"FindAlbumHistory=$(SysRegistryKey)\\FindAlbumHistory",
    u"ImageCacheFile=$(SystemPreferenceFolder)ImageCache.ic",
    u"ImageFileExtentions=.bmp;.jpg;.jpeg;.wmf;.emf;.cbm;.png",
    u"UserPaperInfo=$(UserPreferenceFolder)UserPaper.ppr",
    u"SysMsgNotPowerUsers=「$(AppName)」の実行には$(CRLF)標準ユーザー（PowerUsers）以上の権限が必要です",
    u"UserIllustHistory=$(SysRegistryKey)\\UserIllustHistory",
    u"UserPhotoHistory=$(SysRegistryKey)\\UserPhotoHistory",
    u"AppID=Corvane",
    u"VerID=1.0",
};
}  // namespace

void ConfigureProgramFrame(TAppFrame& frame, const QString& programPath) {
    TMacroString& m = frame.Macro();
    m.Clear();
    for (const char16_t* line : kProgramMacros) m.Add(QString::fromUtf16(line));
    frame.ExecuteCondition = {ecNeedHighColor, ecNeedPrinter, ecExclusive, ecPowerUsers};
    frame.LoadBuiltinMacros(programPath);
    m.SetValue(QStringLiteral("ExeName"), QFileInfo(programPath).completeBaseName());
    const QString exeDir = QFileInfo(programPath).absolutePath();
    if (!platform::isFolderWritable(exeDir))
        m.SetValue(QStringLiteral("SystemPreferenceFolder"), QStringLiteral("$(UserPreferenceFolder)"));
}
