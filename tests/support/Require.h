// Tests that need a tool or service of the machine (a validator, a print
// queue, a mount). Run by hand without it, such a test skips; run by the test
// command (CORVALE_REQUIRE_ALL=1), it fails and names what is missing, so that
// a lost install step cannot leave the suite green.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace corvale::test {

inline bool RequireAll() { return qgetenv("CORVALE_REQUIRE_ALL") == "1"; }

}  // namespace corvale::test

/// In a GoogleTest test: ends it, skipped or failed, with `what` (a streamable text).
#define CORVALE_MISSING(what)                                               \
  do {                                                                      \
    if (corvale::test::RequireAll()) FAIL() << "missing: " << what;         \
    GTEST_SKIP() << what << " (set CORVALE_REQUIRE_ALL=1 to fail instead)"; \
  } while (false)

/// In a Qt Test slot: the same with a const char* text.
#define CORVALE_QMISSING(what)                                                                                 \
  do {                                                                                                         \
    if (corvale::test::RequireAll()) QFAIL(qPrintable(QStringLiteral("missing: ") + QString::fromUtf8(what))); \
    QSKIP(what);                                                                                               \
  } while (false)
