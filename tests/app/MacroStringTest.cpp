#include "app/frame/MacroString.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString expand(TMacroString& m, const QString& text) { return m.Expand(text); }

QString errorOf(TMacroString& m, const QString& text) {
    try {
        m.Expand(text);
    } catch (const EMacroString& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

TEST(MacroString, TextWithoutReferencesIsCopied) {
    TMacroString m;
    EXPECT_EQ(expand(m, "abc"), "abc");
    EXPECT_EQ(expand(m, "a)b"), "a)b");
    EXPECT_EQ(expand(m, "a$"), "a$");
    EXPECT_EQ(expand(m, "$"), "$");
    EXPECT_EQ(expand(m, "$$x"), "$$x");
    EXPECT_EQ(expand(m, ""), "");
}

TEST(MacroString, ReferencesAndNestedNames) {
    TMacroString m;
    m.Add("A=x");
    m.Add("B=A");
    EXPECT_EQ(expand(m, "$(A)$(A)"), "xx");
    EXPECT_EQ(expand(m, "$($(B))"), "x");
    EXPECT_EQ(expand(m, "[$(a)]"), "[x]");  // names ignore case
    m.Add("a=second");
    EXPECT_EQ(expand(m, "$(A)"), "x");  // the first matching line wins
}

TEST(MacroString, ValuesExpandRecursively) {
    TMacroString m;
    m.Add("Name=Vellumo");
    m.Add("Title=$(Name) - %s");
    EXPECT_EQ(expand(m, "<$(Title)>"), "<Vellumo - %s>");
}

TEST(MacroString, BareParenthesisDoesNotOpenALevel) {
    TMacroString m;
    EXPECT_EQ(errorOf(m, "$(A(B))"), "未定義のA(Bマクロが使用されています");
    m.Add("A(B=v");
    EXPECT_EQ(expand(m, "$(A(B))"), "v)");
}

TEST(MacroString, QuoteStripping) {
    TMacroString m;
    EXPECT_EQ(expand(m, "\"a\"b\"c\""), "a\"b\"c");
    EXPECT_EQ(expand(m, "\""), "\"");
    EXPECT_EQ(expand(m, "\"\""), "");
    m.Add("A=\"quoted\"");
    EXPECT_EQ(expand(m, "$(A)"), "quoted");
    EXPECT_EQ(expand(m, "x$(A)"), "xquoted");
    m.SetStripQuotes(false);
    EXPECT_EQ(expand(m, "$(A)"), "\"quoted\"");
    EXPECT_EQ(expand(m, "\"a\""), "\"a\"");
}

TEST(MacroString, ErrorsCarryTextAndCharacterPosition) {
    TMacroString m;
    EXPECT_EQ(errorOf(m, "$()x"), "$()xの2文字目から始まるマクロが間違っています");
    EXPECT_EQ(errorOf(m, "$(A"), "$(Aの2文字目から始まるマクロが閉じていません");
    // Positions count characters, not bytes: four kanji before the reference.
    EXPECT_EQ(errorOf(m, "日本語文$(A"), "日本語文$(Aの6文字目から始まるマクロが閉じていません");
    // A character outside the basic plane (two UTF-16 units) is one character.
    EXPECT_EQ(errorOf(m, "𠮷$()"), "𠮷$()の3文字目から始まるマクロが間違っています");
    EXPECT_EQ(errorOf(m, "$(Foo)"), "未定義のFooマクロが使用されています");
    m.Add("Empty=");
    EXPECT_EQ(errorOf(m, "$(Empty)"), "未定義のEmptyマクロが使用されています");
}

TEST(MacroString, CyclesAreDetectedAndLeaveTheStackClean) {
    TMacroString m;
    m.Add("A=$(B)");
    m.Add("B=$(A)");
    m.Add("C=ok");
    EXPECT_EQ(errorOf(m, "$(A)"), "A マクロが循環参照されています");
    // A failed expansion must not leave names behind on the stack.
    EXPECT_EQ(expand(m, "$(C)$(C)"), "okok");
    m.Add("Self=$(self)");
    EXPECT_EQ(errorOf(m, "$(Self)"), "self マクロが循環参照されています");
}

TEST(MacroString, Options) {
    TMacroString m;
    m.Add("Dir=/opt/vellumo/");
    EXPECT_EQ(expand(m, "$(Foo:inessential)"), "");
    EXPECT_EQ(expand(m, "[$(Foo:UNESSENTIAL)]"), "[]");
    EXPECT_EQ(expand(m, "$(Dir:Drive)"), "/");
    EXPECT_EQ(expand(m, "$(Dir:DRIVE)"), "/");
    EXPECT_EQ(expand(m, "$(Dir:shortPath)"), "/opt/vellumo/");
    EXPECT_EQ(expand(m, "$(Dir:inessential)"), "/opt/vellumo/");
    EXPECT_EQ(errorOf(m, "$(Dir:Bogus)"), "未定義のフォーマット指定(Bogus)が使用されています");
    // Only the first ":" separates the option.
    EXPECT_EQ(errorOf(m, "$(Dir:a:b)"), "未定義のフォーマット指定(a:b)が使用されています");
}

TEST(MacroString, ExpandMacroTakesTheReferenceText) {
    TMacroString m;
    m.Add("A=x");
    EXPECT_EQ(m.ExpandMacro("A"), "x");
    EXPECT_THROW(m.ExpandMacro(""), EMacroString);
}

}  // namespace
