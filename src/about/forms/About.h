// The about box: the product name, the program's version as its own file states it, its
// licence, and a link to the product's web page (or, without one, to its README).
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
    QLabel* lblLicence = nullptr;
    QPushButton* btnOK = nullptr;

private:
    void BuildControls();
    void FormCreate(const QString& programFile);
};

// The address the about box links to: `homepage` when the build names one (QS_HOMEPAGE),
// else the README installed beside the program (<prefix>/share/doc/quillstone/), else the
// source tree's README `sourceReadme` (a build tree), else the installed folder.
QString ProductPageAddress(const QString& homepage, const QString& programFile,
                           const QString& sourceReadme);

} // namespace qs
