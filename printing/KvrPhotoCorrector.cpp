#include "printing/KvrPhotoCorrector.h"

#include "imaging/filters/ColorCorrection.h"
#include "printing/KvrManager.h"

namespace {

class KvrPhotoCorrector : public IPhotoCorrector {
public:
    bool IsAvailable(bool forKvr) override { return manager_->IsAvailable(forKvr); }
    bool SavePictureToTemp(const TPictureEx& picture) override {
        return manager_->SavePictureToTemp(picture);
    }
    int InspectSource() override {
        const int found = manager_->InspectSource();
        return (found & kvrExifPrint ? pcExifPrint : 0) |
               (found & kvrColourMatching ? pcColourMatching : 0);
    }
    bool CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) override {
        return manager_->CorrectSource(destination, forKvr, forPrint);
    }
    bool PrintActive() override { return KvrPrintActive; }

private:
    std::shared_ptr<IKvrManager> manager_ = NewKvrManager();
};

}  // namespace

void InstallKvrPhotoCorrector() {
    SetPhotoCorrectorFactory([] { return std::make_unique<KvrPhotoCorrector>(); });
}
