#include "about/forms/About.h"

#include "about/DocumentInfo.h"
#include "about/forms/Weblink.h"
#include "platform/shell/Shell.h"
#include "ui/NativeFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

namespace qs {

namespace {

const QColor kTitleColour(0x0C, 0x34, 0x6C);

// The splash picture: a quill resting on a smooth stone, in the title's colours.
QPixmap SplashPicture(int width, int height) {
    QPixmap picture(width, height);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF stone(width * 0.08, height * 0.58, width * 0.84, height * 0.34);
    QLinearGradient grey(stone.topLeft(), stone.bottomLeft());
    grey.setColorAt(0, QColor(0xB8, 0xC4, 0xD2));
    grey.setColorAt(1, QColor(0x6E, 0x80, 0x96));
    p.setPen(Qt::NoPen);
    p.setBrush(grey);
    p.drawEllipse(stone);

    QPainterPath feather;
    const QPointF tip(width * 0.30, height * 0.70);
    feather.moveTo(tip);
    feather.cubicTo(width * 0.35, height * 0.35, width * 0.60, height * 0.12, width * 0.86,
                    height * 0.06);
    feather.cubicTo(width * 0.78, height * 0.30, width * 0.58, height * 0.52, tip.x(), tip.y());
    QLinearGradient blue(QPointF(width * 0.3, height * 0.7), QPointF(width * 0.86, height * 0.06));
    blue.setColorAt(0, kTitleColour);
    blue.setColorAt(1, QColor(0x4A, 0x7A, 0xB8));
    p.setBrush(blue);
    p.drawPath(feather);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(tip, QPointF(width * 0.80, height * 0.10)); // the shaft
    return picture;
}

} // namespace

QString ProductPageAddress(const QString& homepage, const QString& programFile,
                           const QString& sourceReadme) {
    if (!homepage.isEmpty()) {
        return homepage;
    }
    const QString docs =
        QDir::cleanPath(QFileInfo(programFile).absolutePath() + "/../../share/doc/quillstone");
    for (const QString& readme : {docs + "/README.md", sourceReadme}) {
        if (!readme.isEmpty() && QFileInfo::exists(readme)) {
            return QUrl::fromLocalFile(readme).toString();
        }
    }
    return QUrl::fromLocalFile("/usr/share/doc/quillstone/").toString();
}

TfrmAbout::TfrmAbout(QWidget* parent, const QString& programFile)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    BuildControls();
    FormCreate(programFile);
}

void TfrmAbout::BuildControls() {
    setObjectName("frmAbout");
    setWindowTitle("About Quillstone");
    setFixedSize(512, 258);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    imgSplash = new QLabel;
    imgSplash->setObjectName("imgSplash");
    imgSplash->setPixmap(SplashPicture(170, 200));

    QPalette titlePalette = pal;
    titlePalette.setColor(QPalette::WindowText, kTitleColour);
    lblTitle = new QLabel("Quillstone");
    lblTitle->setObjectName("lblTitle");
    QFont titleFont = lblTitle->font();
    // Century Gothic where it is installed, else a geometric sans that resembles it.
    titleFont.setFamilies({"Century Gothic", "URW Gothic", "TeX Gyre Adventor"});
    titleFont.setBold(true);
    titleFont.setPointSize(28);
    lblTitle->setFont(titleFont);
    lblTitle->setPalette(titlePalette);

    lblTagline = new QLabel("Marrowgate \u00B7 tools for statistical syntax");
    lblTagline->setObjectName("lblTagline");
    lblTagline->setWordWrap(true);
    QFont taglineFont = titleFont;
    taglineFont.setBold(false);
    taglineFont.setPointSize(11);
    lblTagline->setFont(taglineFont);
    lblTagline->setPalette(titlePalette);

    lblWeblink = new TWeblink;
    lblWeblink->setObjectName("lblWeblink");
    lblWeblink->setAlignment(Qt::AlignCenter);
    lblWeblink->BrowserState = gwMaximized;

    lblVersion = new QLabel("??.??.??");
    lblVersion->setObjectName("lblVersion");
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    lblLicence = new QLabel("Free software under the GNU GPL, version 3 or later");
    lblLicence->setObjectName("lblLicence");
    lblLicence->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    btnOK = new QPushButton("&OK");
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addSpacing(12);
    text->addWidget(lblTitle);
    text->addWidget(lblTagline);
    text->addStretch(1);
    text->addWidget(lblWeblink);
    text->addStretch(1);
    text->addWidget(lblVersion);
    text->addWidget(lblLicence);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(btnOK);
    text->addLayout(okRow);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(20);
    layout->addWidget(imgSplash, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
}

void TfrmAbout::FormCreate(const QString& programFile) {
    auto info = std::make_unique<TDocumentInfo>();
    info->Filename = programFile.isEmpty() ? ProgramFilePath()
                                           : ui::NativeFileName(programFile);
    lblVersion->setText(QString("Version %1").arg(QString::fromStdString(info->FileVersion())));

    const QString page = ProductPageAddress(QS_HOMEPAGE, ui::DisplayFileName(info->Filename),
                                            QS_SOURCE_README);
    lblWeblink->Url = page;
    lblWeblink->setToolTip(page);
    const QUrl url(page);
    lblWeblink->setText(url.isLocalFile() ? "Quillstone README" : url.host() + url.path());
}

} // namespace qs
