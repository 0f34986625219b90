// An assistant panel over a real view model for a text file in a temporary home, answered by a scripted
// provider, shown offscreen.
#pragma once

#include "assistant/AssistantViewModel.h"
#include "support/ScriptedProvider.h"
#include "support/TestHome.h"
#include "ui/assistant/AssistantPanel.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace zepla::ui::test {

struct PanelFixture {
    ai::test::TestHome home;
    QTemporaryDir dir;
    std::shared_ptr<ai::test::ScriptedProvider> provider = std::make_shared<ai::test::ScriptedProvider>();
    std::shared_ptr<ai::AssistantViewModel> model;
    std::unique_ptr<AssistantPanel> panel;
    int sidebarToggles = 0;
    int closes = 0;

    // Opens the panel at once unless told not to, so that a test can store conversations first.
    explicit PanelFixture(bool openNow = true) {
        if (openNow)
            open();
    }

    // The file the conversations are kept for.
    QString documentPath() const { return dir.filePath("Field Notes.txt"); }

    // Makes the view model and shows its panel; unless told not to, waits until the stored conversations
    // are in.
    void open(bool waitForHistory = true) {
        model = std::make_shared<ai::AssistantViewModel>(
            ai::AssistantSource::textOnly({documentPath(), QStringLiteral("heron notes")}), provider);
        panel = std::make_unique<AssistantPanel>(
            model, [this] { ++sidebarToggles; }, [this] { ++closes; });
        panel->resize(420, 700);
        panel->show();
        if (waitForHistory)
            QTRY_VERIFY(!model->isLoadingHistory());
    }
};

} // namespace zepla::ui::test
