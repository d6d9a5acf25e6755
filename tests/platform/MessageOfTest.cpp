#include "platform/MessageOf.h"

#include "platform/Exception.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {
VELLUMO_DECLARE_EXCEPTION(ETestError, Exception);
}  // namespace

TEST(MessageOf, OwnErrorsGiveTheirMessageAndOtherErrorsTheirUtf8Text) {
    // Our own errors, also derived ones and ones whose message was replaced on the way up.
    const QString japanese = QStringLiteral("ファイル 写真.jpg を開けません");
    EXPECT_EQ(MessageOf(Exception(japanese)), japanese);
    ETestError derived(QStringLiteral("最初の文"));
    derived.setMessage(japanese);
    EXPECT_EQ(MessageOf(derived), japanese);
    const std::exception& asBase = derived;
    EXPECT_EQ(MessageOf(asBase), japanese);

    // Any other exception: what() read as UTF-8, multi-byte characters intact.
    EXPECT_EQ(MessageOf(std::runtime_error(japanese.toUtf8().toStdString())), japanese);
    EXPECT_EQ(MessageOf(std::runtime_error("")), QString());
    EXPECT_EQ(MessageOf(std::bad_alloc()), QString::fromUtf8(std::bad_alloc().what()));
}
