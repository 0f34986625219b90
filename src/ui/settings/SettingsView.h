// The settings window: whether Zepla is the default PDF viewer, and the Ollama address and key the assistant
// uses instead of the built-in AI. Ctrl+W and Escape close it; Ctrl+Q asks the application to quit.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace zepla::ui {

class SettingsView : public QWidget {
    Q_OBJECT

public:
    // Reads the key store and the default-viewer setting once; later changes made elsewhere are not followed.
    explicit SettingsView(QWidget* parent = nullptr);

    // The one settings window of the application, made on first use and brought forward after that.
    static SettingsView* showShared();

    bool isKeySaved() const { return m_isKeySaved; }
    bool usingBuiltInAPI() const { return m_usingBuiltInAPI; }
    bool justSaved() const { return m_justSaved; }
    bool isDefaultPDFViewer() const { return m_isDefaultPDFViewer; }
    QString statusText() const;
    QString errorText() const;

signals:
    void quitRequested();

private:
    QWidget* makeGeneralSection();
    QWidget* makeAssistantSection();
    void save();
    void useBuiltInAI();
    bool canStore();
    void keyChanged();
    void setAsDefault();
    void refresh();

    bool m_isKeySaved = false;
    bool m_justSaved = false;
    bool m_usingBuiltInAPI = true;
    bool m_isDefaultPDFViewer = false;

    QStackedWidget* m_defaultRow = nullptr;
    QPushButton* m_setDefaultButton = nullptr;
    QLineEdit* m_urlField = nullptr;
    QLineEdit* m_keyField = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_builtInButton = nullptr;
    QWidget* m_savedMark = nullptr;
    QLabel* m_statusSymbol = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_errorLine = nullptr;
};

} // namespace zepla::ui
