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

    PanelFixture() {
        model = std::make_shared<ai::AssistantViewModel>(
            ai::AssistantSource::textOnly({dir.filePath("Field Notes.txt"), QStringLiteral("heron notes")}),
            provider);
        panel = std::make_unique<AssistantPanel>(
            model, [this] { ++sidebarToggles; }, [this] { ++closes; });
        panel->resize(420, 700);
        panel->show();
    }
};

} // namespace zepla::ui::test
