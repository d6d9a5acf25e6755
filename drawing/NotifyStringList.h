#pragma once
// A string list that reports every change of its contents: OnChange runs once per
// operation (once per assignment or update bracket), and only when the lines differ
// afterwards.

#include "document/Strings.h"

#include <functional>

class TNotifyStringList : public TStringList {
public:
    TNotifyStringList() = default;

    std::function<void()> OnChange;

    void BeginUpdate();
    void EndUpdate();
    // Ends one bracket without running OnChange; used while an exception unwinds.
    void AbandonUpdate() noexcept;

    void Put(int index, const QString& line) override;
    void Insert(int index, const QString& line) override;
    void Delete(int index) override;
    void Clear() override;
    void Move(int from, int to) override;
    using TStrings::Assign;
    void Assign(const TPersistent& source) override;

private:
    int updates_ = 0;
    QStringList before_;
};
