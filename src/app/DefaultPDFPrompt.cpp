#include "app/DefaultPDFPrompt.h"

#include "core/DefaultPDFHandler.h"
#include "core/Settings.h"
#include "core/Wording.h"
#include "ui/theme/DialogSizing.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace zepla::app::DefaultPDFPrompt {

namespace {

namespace Handler = platform::DefaultPDFHandler;

const QString kOfferName = QStringLiteral("defaultPDFViewerOffer");

bool wasAnswered() {
    return platform::userSettings()->value(QLatin1String(Handler::hasPromptedKey), false).toBool();
}

void showOffer() {
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Zepla"),
                        QApplication::translate("DefaultPDFPrompt", "Make Zepla Your Default PDF Viewer?"));
    box->setObjectName(kOfferName);
    box->setInformativeText(platform::adaptWording(QApplication::translate(
        "DefaultPDFPrompt", "PDFs will open in Zepla automatically when you double-click "
                            "them in Finder, Mail, or anywhere else.")));
    QPushButton* setAsDefault = box->addButton(QApplication::translate("DefaultPDFPrompt", "Set as Default"),
                                               QMessageBox::AcceptRole);
    box->addButton(QApplication::translate("DefaultPDFPrompt", "Not Now"), QMessageBox::RejectRole);
    box->setDefaultButton(setAsDefault);
    ui::sizeAlertToText(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, setAsDefault] {
        const auto settings = platform::userSettings();
        settings->setValue(QLatin1String(Handler::hasPromptedKey), true);
        settings->sync();
        if (box->clickedButton() == setAsDefault)
            Handler::setAsDefault();
    });
    box->show();
}

} // namespace

void promptIfNeeded() {
    if (wasAnswered() || visibleOffer())
        return;
    Handler::queryIsDefault([](bool isDefault) {
        if (!isDefault && !wasAnswered() && !visibleOffer())
            showOffer();
    });
}

QMessageBox* visibleOffer() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget);
            box && box->objectName() == kOfferName && box->isVisible())
            return box;
    return nullptr;
}

} // namespace zepla::app::DefaultPDFPrompt
