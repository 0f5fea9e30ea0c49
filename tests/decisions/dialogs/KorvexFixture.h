#pragma once

#include "decisions/DialogTexts.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "platform/EventLog.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace vx::dialogs::test {

// The dialog texts registered, the tray's application title set, events recorded; the
// decision dialog freed afterwards.
class TKorvexFixture : public ::testing::Test {
protected:
    void SetUp() override {
        decisions::RegisterDialogTexts(nullptr);
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Korvex - Thornet 2 Tray"));
    }
    void TearDown() override {
        FDialogOwner.FreeDialog();
        decisions::FreeDialogTexts();
        QGuiApplication::setApplicationDisplayName(QString());
    }

    win::TEventLogRecorder FEvents;
    TDecisionDialogOwner FDialogOwner;
};

} // namespace vx::dialogs::test
