#pragma once

#include "Harness.h"
#include "tarvo/Form1.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace testing_support {

// A test that starts with Tarvo loaded on a fresh program folder whose
// registry lists `connections()`.
class StartedTarvo : public ::testing::Test {
protected:
    virtual QStringList connections() const { return {QStringLiteral("Home"), QStringLiteral("Work")}; }
    void SetUp() override
    {
        h.writeRegistry(connections());
        f = &h.start();
    }

    Harness h;
    tarvo::Form1 *f = nullptr;
};

} // namespace testing_support
