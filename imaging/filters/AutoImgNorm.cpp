#include "imaging/filters/AutoImgNorm.h"

#include "imaging/Messages.h"
#include "imaging/PhasedProgress.h"
#include "imaging/filters/GREFilters.h"
#include "imaging/picture/ImageData.h"

TAutoImgNormModel::TAutoImgNormModel(TImgNormalizeCallBackClass& list) : list_(list) {
    TAutoAdjustFilter kinds;
    const int n = std::max(0, list.Count());
    for (int i = 0; i < n; ++i) {
        const TPictureEx* picture = list.SourcePicture(i);
        unsigned bits = 1u;
        if (picture) {
            if (kinds.Normalize().CanApply(*picture)) bits |= 1u << 1;
            if (kinds.Exif().CanApply(*picture)) bits |= 1u << 2;
            if (kinds.Kvr().CanApply(*picture)) bits |= 1u << 3;
        }
        offered_.push_back(bits);
        const int current = list.CurrentMethod(i);
        chosen_.push_back(current >= 0 && current <= 3 && (bits >> current & 1u) ? current : 0);
    }
}

bool TAutoImgNormModel::IsOffered(int index, int method) const {
    return method >= 0 && method <= 3 && (offered_[size_t(index)] >> method & 1u);
}

bool TAutoImgNormModel::IsAdjusted(int index) const {
    const TImageData* holder = list_.PictureHolder(index);
    return holder && (holder->BlurFilter()->IsEffective() || holder->LightFilter()->IsEffective() ||
                      holder->MonotoneFilter()->IsEffective());
}

bool TAutoImgNormModel::Choose(int index, int method) {
    if (!IsOffered(index, method) || chosen_[size_t(index)] == method) return false;
    if ((method == 2 || method == 3) && IsAdjusted(index) &&
        !(Ask && Ask(msg::adjustedPhotoQuestion(method == 3))))
        return false;
    chosen_[size_t(index)] = method;
    return true;
}

void TAutoImgNormModel::ChooseAll(int method) {
    int answer = -1;  // asked at most once per run
    for (int i = 0; i < Count(); ++i) {
        if (!IsOffered(i, method)) continue;
        if ((method == 2 || method == 3) && IsAdjusted(i)) {
            if (answer < 0) answer = Ask && Ask(msg::adjustedPhotosQuestion(method == 3)) ? 1 : 0;
            if (answer == 0) continue;
        }
        chosen_[size_t(i)] = method;
    }
}

void TAutoImgNormModel::Apply(TPhasedProgressBase* progress) {
    PhaseGuard phase(progress, Count());
    for (int i = 0; i < Count(); ++i) {
        phase.step();
        const int method = chosen_[size_t(i)];
        if (method == 2 || method == 3) {
            if (TImageData* holder = list_.PictureHolder(i)) {
                holder->BlurFilter()->SetBlurCount(0);
                holder->LightFilter()->SetBrightness(0);
                holder->LightFilter()->SetContrast(0);
                holder->MonotoneFilter()->SetRefColor(clNone);
            }
        }
        list_.ApplyMethod(i, method);
    }
}
