// The about box: the product name, the program's version as its own file states it, and
// a link to the product's web page.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qs {

class TWeblink;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // `programFile` is the file whose version is shown; empty: the running program.
    explicit TfrmAbout(QWidget* parent = nullptr, const QString& programFile = {});

    QLabel* imgSplash = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblTagline = nullptr;
    TWeblink* lblWeblink = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* btnOK = nullptr;

private:
    void BuildControls();
    void FormCreate(const QString& programFile);
};

// The product's web page that the about box links to.
inline constexpr const char* kProductPage = "https://quillstone.example.org/";

} // namespace qs
