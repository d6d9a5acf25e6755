#pragma once
// The main window. For now it shows the start panel; the document workflow, the panels
// and their commands join it as their subsystems arrive.

#include <QMainWindow>

class TdataMain;
class QLabel;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(TdataMain& data);

    // The document shown in the title bar; empty: untitled.
    void SetDocumentName(const QString& name);
    QString DocumentTitle() const;

    // Entry points the first idle moment after start uses.
    void ShowStartMenu();
    void OpenDocument(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void updateTitle();

    TdataMain& data_;
    QString documentName_;
    QLabel* panel_ = nullptr;
};
