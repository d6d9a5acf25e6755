#include "FrameFixture.h"
#include "app/frame/ExpandTexts.h"
#include "document/Strings.h"
#include "document/stream/Component.h"
#include "document/stream/PropertyBuilder.h"

namespace {

class TCaptioned : public TComponent {
    VELLUMO_PERSISTENT(TCaptioned, TComponent)
public:
    using TComponent::TComponent;
    static void DeclareProperties(PropertyBuilder<TCaptioned>& p) {
        p.string("Caption", &TCaptioned::caption, &TCaptioned::caption);
        p.string("Hidden", &TCaptioned::hidden, &TCaptioned::hidden).storedIf([](const TCaptioned&) { return false; });
        p.persistent("Lines", &TCaptioned::Lines);
    }
    TStringList* Lines() const { return &lines; }
    QString caption, hidden;
    mutable TStringList lines;
};
VELLUMO_DEFINE_PERSISTENT(TCaptioned)

using ExpandTexts = FrameTest;

TEST_F(ExpandTexts, OwnedComponentsNestedListsAndBadMacros) {
    auto f = makeFrame();
    TCaptioned form;
    form.caption = "$(AppName)の終了(&X)";
    form.hidden = "$(AppName)";
    form.lines.Add("$(AppName) 1");
    form.lines.Add("plain");
    auto* button = new TCaptioned(&form);  // owned by the form
    button->caption = "$(Undefined) stays";
    auto* label = new TCaptioned(button);
    label->caption = "$(VerID)";
    ExpandComponentTexts(*f, form);
    EXPECT_EQ(form.caption, "Vellumoの終了(&X)");
    EXPECT_EQ(form.hidden, "$(AppName)");  // not stored: left alone
    EXPECT_EQ(form.lines.ToStringList(), QStringList({"Vellumo 1", "plain"}));
    EXPECT_EQ(button->caption, "$(Undefined) stays");
    EXPECT_EQ(label->caption, "1.0");
}

}  // namespace
