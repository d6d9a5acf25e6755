#include "imaging/color/GradationColors.h"

#include "document/Messages.h"
#include "document/stream/Filer.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"

#include <QtEndian>
#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TGradationColors)

namespace {
[[noreturn]] void indexError(int index) {
    throw EListError(msg::listIndexOutOfRange(index));
}
}  // namespace

TGradationColors::TGradationColors() : notify_(this) {}

void TGradationColors::DeclareProperties(PropertyBuilder<TGradationColors>& p) {
    p.integer("RepeatCount", &TGradationColors::RepeatCount, &TGradationColors::SetRepeatCount)
        .defaultValue(1);
}

void TGradationColors::DefineCustomProperties(TFiler& filer) {
    TPersistent::DefineCustomProperties(filer);
    filer.DefineBlobProperty(
        QStringLiteral("Colors"),
        [this](TStream& s) {
            const int64_t size = s.Size() - s.Position();
            uint8_t head[4];
            if (size < 4) throw EReadError(msg::streamReadError());
            s.ReadBuffer(head, 4);
            const uint32_t n = qFromLittleEndian<uint32_t>(head);
            // The count must match the bytes that are really there.
            if (int64_t(n) * 4 > size - 4 || n > uint32_t(kMaxColors))
                throw EReadError(msg::streamReadError());
            std::vector<uint8_t> bytes(size_t(n) * 4);
            if (n) s.ReadBuffer(bytes.data(), int64_t(bytes.size()));
            std::vector<TColor> list(n);
            for (uint32_t i = 0; i < n; ++i)
                list[i] = TColor(qFromLittleEndian<uint32_t>(bytes.data() + 4 * i));
            SetList(std::move(list));
        },
        [this](TStream& s) {
            std::vector<uint8_t> bytes(4 + 4 * colors_.size());
            qToLittleEndian<uint32_t>(uint32_t(colors_.size()), bytes.data());
            for (size_t i = 0; i < colors_.size(); ++i)
                qToLittleEndian<uint32_t>(uint32_t(colors_[i]), bytes.data() + 4 + 4 * i);
            s.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        },
        !IsDefaultList());
}

void TGradationColors::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TGradationColors*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    TUpdateBracket update(notify_);
    SetList(other->colors_);
    SetRepeatCount(other->repeatCount_);
}

TColor TGradationColors::Colors(int index) const {
    if (index < 0 || index >= Count()) indexError(index);
    return colors_[size_t(index)];
}

void TGradationColors::SetColors(int index, TColor colour) {
    if (index < 0 || index >= Count()) indexError(index);
    if (colors_[size_t(index)] == colour) return;
    colors_[size_t(index)] = colour;
    notify_.Changed();
}

void TGradationColors::SetCount(int count) {
    count = std::clamp(count, 0, kMaxColors);
    if (count == Count()) return;
    colors_.resize(size_t(count), clBlack);
    notify_.Changed();
}

void TGradationColors::SetList(std::vector<TColor> colours) {
    if (colours.size() > size_t(kMaxColors)) colours.resize(size_t(kMaxColors));
    if (colours == colors_) return;
    colors_ = std::move(colours);
    notify_.Changed();
}

void TGradationColors::SetRepeatCount(int32_t count) {
    if (count == repeatCount_) return;
    repeatCount_ = count;
    notify_.Changed();
}

std::vector<TColor> TGradationColors::Expanded() const {
    std::vector<TColor> out;
    if (colors_.empty()) return out;
    const int64_t total =
        std::min<int64_t>(int64_t(colors_.size()) * std::max<int32_t>(1, repeatCount_), kMaxColors);
    out.reserve(size_t(total));
    for (int64_t j = 0; j < total; ++j) out.push_back(colors_[size_t(j % int64_t(colors_.size()))]);
    return out;
}

bool TGradationColors::IsDefaultList() const {
    return colors_.size() == 2 && colors_[0] == clWhite && colors_[1] == clBlack;
}
