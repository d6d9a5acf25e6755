#include "app/frame/AppFrame.h"

#include "app/frame/Version.h"
#include "platform/Format.h"
#include "platform/InstanceLock.h"
#include "platform/MessageOf.h"
#include "platform/SettingsStore.h"
#include "platform/UserFolders.h"

#include <QFileInfo>

using platform::format;

namespace {
TAppFrame* g_current = nullptr;
}  // namespace

TAppFrame::TAppFrame() : previous_(g_current) {
    macro_.SetValue(QStringLiteral("AppName"), QStringLiteral("Project"));
    probe_ = defaultProbe();
    g_current = this;
}

TAppFrame::~TAppFrame() {
    if (g_current == this) g_current = previous_;
}

TAppFrame* TAppFrame::Current() { return g_current; }

void TAppFrame::LoadBuiltinMacros(const QString& programPath) {
    const QFileInfo exe(programPath);
    const QString folder = exe.absolutePath();
    const QString full = exe.absoluteFilePath();
    const QString suffix = exe.suffix();
    const QString noExt = suffix.isEmpty() ? full : full.left(full.size() - suffix.size() - 1);
    if (macro_.Values(QStringLiteral("SysKeyFile")).isEmpty())
        macro_.SetValue(QStringLiteral("SysKeyFile"), exe.fileName());
    if (macro_.Values(QStringLiteral("SysApplicationFolder")).isEmpty())
        macro_.SetValue(QStringLiteral("SysApplicationFolder"), exe.completeBaseName());
    macro_.SetValue(QStringLiteral("CRLF"), QStringLiteral("\r\n"));
    macro_.SetValue(QStringLiteral("Quote"), QStringLiteral("\""));
    macro_.SetValue(QStringLiteral("ExeDir"), folder.endsWith(u'/') ? folder : folder + u'/');
    macro_.SetValue(QStringLiteral("ExeNameNoExt"), noExt);
    macro_.SetValue(QStringLiteral("AppDataDir"), platform::dataHome() + u'/');
    const QString shortVer = format(QStringLiteral("%d.%d"), VELLUMO_VERSION_MAJOR, VELLUMO_VERSION_MINOR);
    macro_.SetValue(QStringLiteral("ShortVer"), shortVer);
    macro_.SetValue(QStringLiteral("LongVer"),
                    shortVer + format(QStringLiteral(".%d.%d"), VELLUMO_VERSION_PATCH, VELLUMO_VERSION_TWEAK));
}

QString TAppFrame::ExpandOrKeep(const QString& text) {
    try {
        return macro_.Expand(text);
    } catch (const EMacroString&) {
        return text;
    }
}

// ---------------------------------------------------------------- settings

QString TAppFrame::settingsFilePath() {
    QString app = ExpandOrKeep(QStringLiteral("$(AppID:inessential)"));
    QString ver = ExpandOrKeep(QStringLiteral("$(VerID:inessential)"));
    if (app.isEmpty() || app.contains(u'/')) app = QStringLiteral("Project");
    if (ver.isEmpty() || ver.contains(u'/')) ver = QStringLiteral("1.0");
    return platform::configHome() + QStringLiteral("/Tolvarin/") + app + u'/' + ver +
           QStringLiteral("/settings.conf");
}

platform::SettingsStore& TAppFrame::Settings() {
    const QString path = settingsFilePath();
    if (!settings_ || settings_->filePath() != path)
        settings_ = std::make_unique<platform::SettingsStore>(path);
    return *settings_;
}

QString TAppFrame::SettingsKey() {
    const QString key = ExpandOrKeep(QStringLiteral("$(SysRegistryKey:inessential)"));
    return key.isEmpty() || key.contains(QStringLiteral("$(")) ? QStringLiteral("Settings") : key;
}

QString TAppFrame::ReadString(const QString& name, const QString& def) {
    return Settings().readString(SettingsKey(), name).value_or(def);
}

int TAppFrame::ReadInteger(const QString& name, int def) {
    const auto v = Settings().readString(SettingsKey(), name);
    if (!v) return def;
    bool ok = false;
    const int n = v->trimmed().toInt(&ok, 10);
    return ok ? n : def;
}

bool TAppFrame::ReadBool(const QString& name, bool def) {
    const auto v = Settings().readString(SettingsKey(), name);
    if (!v) return def;
    bool ok = false;
    const int n = v->trimmed().toInt(&ok, 10);
    return ok ? n != 0 : def;
}

void TAppFrame::WriteString(const QString& name, const QString& value) {
    Settings().writeString(SettingsKey(), name, value);
}
void TAppFrame::WriteInteger(const QString& name, int value) { WriteString(name, QString::number(value)); }
void TAppFrame::WriteBool(const QString& name, bool value) {
    WriteString(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---------------------------------------------------------------- messages

TMsgDlgBtn TAppFrame::MessageBox(const QString& text, const TMsgDlgButtons& buttons, int defaultIndex,
                                 int escapeIndex) {
    const TMsgDlgButtons shown = buttons.empty() ? TMsgDlgButtons{mbOK} : buttons;
    bringApplicationToFront();
    const QString expanded = ExpandOrKeep(text);
    if (OnMessageBox) return OnMessageBox(expanded, shown, defaultIndex, escapeIndex);
    return showStandardMessageBox(ExpandOrKeep(QStringLiteral("$(AppName)")), expanded, shown,
                              defaultIndex, escapeIndex);
}

void TAppFrame::HandleException(const std::exception& e) {
    if (OnException)
        OnException(e);
    else
        ShowException(e);
}

void TAppFrame::ShowException(const std::exception& e) {
    const auto* own = dynamic_cast<const Exception*>(&e);
    const bool twain = own && QLatin1StringView(own->className()) == QLatin1StringView("ETwain");
    const QString message = MessageOf(e);
    const QString pattern =
        ExpandOrKeep(twain ? QStringLiteral("$(SysMsgTwainErr)") : QStringLiteral("$(SysMsgUnexpected)"));
    MessageBox(format(pattern, message), {mbOK});
}

// ---------------------------------------------------------------- start conditions

const char* ExecuteConditionName(TExecuteCondition c) {
    switch (c) {
        case ecNeedHighColor: return "ecNeedHighColor";
        case ecNeedPrinter: return "ecNeedPrinter";
        case ecExclusive: return "ecExclusive";
        case ecPowerUsers: return "ecPowerUsers";
    }
    return "";
}

bool TAppFrame::CheckStartConditions(std::vector<TStartCheckResult>* report) {
    auto note = [&](TExecuteCondition c, bool ok, const QString& detail) {
        if (report) report->push_back({c, ok, detail});
        return ok;
    };
    auto wanted = [&](TExecuteCondition c) { return ExecuteCondition.count(c) != 0; };

    if (wanted(ecNeedHighColor)) {
        const int bpp = probe_.screenBitsPerPixel ? probe_.screenBitsPerPixel() : 0;
        QString detail = bpp > 0 ? format(QStringLiteral("%d bpp"), bpp) : QStringLiteral("no screen");
        if (bpp > 0 && bpp < 9) {
            const TMsgDlgBtn answer =
                MessageBox(QStringLiteral("$(SysMsgNotEnoughColor)"), {mbYes, mbNo}, 0, 1);
            if (answer != mbYes) return note(ecNeedHighColor, false, detail);
            detail += QStringLiteral(", accepted");
        }
        note(ecNeedHighColor, true, detail);
    }
    if (wanted(ecPowerUsers)) {
        QString why;
        if (!probe_.userFolderWritable || !probe_.userFolderWritable(&why)) {
            MessageBox(QStringLiteral("$(SysMsgNotPowerUsers)"), {mbOK});
            return note(ecPowerUsers, false, why);
        }
        note(ecPowerUsers, true, why);
    }
    if (wanted(ecNeedPrinter)) {
        const QString printer = probe_.usablePrinter ? probe_.usablePrinter() : QString();
        if (printer.isEmpty()) {
            MessageBox(QStringLiteral("$(SysMsgNotDefaultPrinter)"), {mbOK});
            return note(ecNeedPrinter, false, QString());
        }
        startPrinter_ = printer;
        note(ecNeedPrinter, true, printer);
    }
    if (wanted(ecExclusive)) {
        const QString name = ExpandOrKeep(QStringLiteral("$(SysMutexID)"));
        if (!probe_.acquireInstance || !probe_.acquireInstance(name)) {
            MessageBox(QStringLiteral("$(SysMsgAlreadyRun)"), {mbOK});
            return note(ecExclusive, false, name);
        }
        note(ecExclusive, true, name);
    }
    return true;
}

// ---------------------------------------------------------------- helpers

QString ExpandText(const QString& text) {
    TAppFrame* f = TAppFrame::Current();
    return f ? f->Macro().Expand(text) : text;
}
bool ReadBoolSetting(const QString& name, bool def) {
    TAppFrame* f = TAppFrame::Current();
    return f ? f->ReadBool(name, def) : def;
}
int ReadIntegerSetting(const QString& name, int def) {
    TAppFrame* f = TAppFrame::Current();
    return f ? f->ReadInteger(name, def) : def;
}
QString ReadStringSetting(const QString& name, const QString& def) {
    TAppFrame* f = TAppFrame::Current();
    return f ? f->ReadString(name, def) : def;
}
void WriteBoolSetting(const QString& name, bool value) {
    if (TAppFrame* f = TAppFrame::Current()) f->WriteBool(name, value);
}
void WriteIntegerSetting(const QString& name, int value) {
    if (TAppFrame* f = TAppFrame::Current()) f->WriteInteger(name, value);
}
void WriteStringSetting(const QString& name, const QString& value) {
    if (TAppFrame* f = TAppFrame::Current()) f->WriteString(name, value);
}
TMsgDlgBtn AppMessageBox(const QString& text, const TMsgDlgButtons& buttons, int defaultIndex,
                         int escapeIndex) {
    if (TAppFrame* f = TAppFrame::Current()) return f->MessageBox(text, buttons, defaultIndex, escapeIndex);
    const TMsgDlgButtons shown = buttons.empty() ? TMsgDlgButtons{mbOK} : buttons;
    return showStandardMessageBox(QString(), text, shown, defaultIndex, escapeIndex);
}
void Inform(const QString& text) { AppMessageBox(text, {mbOK}); }
bool Confirm(const QString& text) { return AppMessageBox(text, {mbOK, mbCancel}, 0, 1) == mbOK; }
TMsgDlgBtn AskYesNoCancel(const QString& text) { return AppMessageBox(text, {mbYes, mbNo, mbCancel}, 0, 2); }
QString FindApplicationFile(const QString& displayName, const QString& relativeName) {
    TAppFrame* f = TAppFrame::Current();
    return f ? f->FindApplicationFile(displayName, relativeName) : QString();
}
