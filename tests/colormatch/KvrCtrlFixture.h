#pragma once
// A copy of KvrCtrl.so in a scratch folder with the modules a test chooses beside it
// (engine and decoder doubles, or our real ones), loaded fresh for the test.

#include "platform/KvrAbi.h"
#include "tests/support/TempDir.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>
#include <memory>

struct KvrCtrlLib {
    void* handle = nullptr;
    OXStartKvrImageFn Start = nullptr;
    OXGetKvrImageFn Get = nullptr;
    OXEndKvrImageFn End = nullptr;
    OXConvertRGBtoPrtDataFn Convert = nullptr;
    OXGetKvrFunctionFn GetFunction = nullptr;
    OXSetKvrFunctionFn SetFunction = nullptr;
    ~KvrCtrlLib() {
        if (handle) ::dlclose(handle);
    }
};

// Copies `files` (full paths) into `dir` under their own names; `renamed` pairs copy a
// file under another name. Loads the copied KvrCtrl.so.
inline std::unique_ptr<KvrCtrlLib> LoadKvrCtrl(const TempDir& dir, const QStringList& files) {
    for (const QString& f : files) {
        const QString target = dir.file(f.section(u'/', -1));
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(f, target)) << f.toStdString();
    }
    auto lib = std::make_unique<KvrCtrlLib>();
    lib->handle = ::dlopen(QFile::encodeName(dir.file(QStringLiteral("KvrCtrl.so"))).constData(),
                           RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(lib->handle, nullptr) << ::dlerror();
    if (!lib->handle) return lib;
    auto sym = [&](const char* name) { return ::dlsym(lib->handle, name); };
    lib->Start = reinterpret_cast<OXStartKvrImageFn>(sym("OXStartKvrImage"));
    lib->Get = reinterpret_cast<OXGetKvrImageFn>(sym("OXGetKvrImage"));
    lib->End = reinterpret_cast<OXEndKvrImageFn>(sym("OXEndKvrImage"));
    lib->Convert = reinterpret_cast<OXConvertRGBtoPrtDataFn>(sym("OXConvertRGBtoPrtData"));
    lib->GetFunction = reinterpret_cast<OXGetKvrFunctionFn>(sym("OXGetKvrFunction"));
    lib->SetFunction = reinterpret_cast<OXSetKvrFunctionFn>(sym("OXSetKvrFunction"));
    return lib;
}
