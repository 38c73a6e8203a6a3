#include "app/ui/AboutDlg.h"

#include "app/ProductVersion.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTimerEvent>
#include <QVBoxLayout>

// The resources live in a static library: they are registered by hand.
static void InitAboutResources() {
    Q_INIT_RESOURCE(tervik);
}

namespace tervik {

QPixmap RenderSvgPixmap(const QString& path, QSize size, qreal fDevicePixelRatio) {
    InitAboutResources();
    QSvgRenderer renderer(path);
    QPixmap pixmap(size * fDevicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(fDevicePixelRatio);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int n : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(RenderSvgPixmap(QStringLiteral(":/icons/tervik.svg"), QSize(n, n), 1.0));
    return icon;
}

namespace {

constexpr int kMargin = 11;
const QSize kPictureSize(400, CAboutDlg::kPanelHeight - kMargin);

} // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QString::fromUtf8("Info über Orv's File-Viewer"));
    setWindowIcon(ProgramIcon());
    const qreal fDpr = devicePixelRatioF();

    // The upper part: icon, texts, buttons.
    auto* pTop = new QWidget(this);
    auto* pRow = new QHBoxLayout(pTop);
    pRow->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    pRow->setSpacing(14);
    auto* pIcon = new QLabel(pTop);
    pIcon->setPixmap(RenderSvgPixmap(QStringLiteral(":/icons/tervik.svg"), QSize(48, 48), fDpr));
    pIcon->setAlignment(Qt::AlignTop);
    pRow->addWidget(pIcon, 0, Qt::AlignTop);

    auto* pTexts = new QVBoxLayout;
    pTexts->setSpacing(4);
    auto* pName = new QLabel(QStringLiteral("Orv's File-Viewer"), pTop);
    QFont bold = pName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    pName->setFont(bold);
    pTexts->addWidget(pName);
    char szVersion[32];
    GetProductVersion(szVersion, sizeof szVersion);
    pTexts->addWidget(
        new QLabel(QStringLiteral("Version %1").arg(QString::fromUtf8(szVersion)), pTop));
    auto* pAbout =
        new QLabel(QString::fromUtf8("Betrachter für Dateien jeder Größe: wachsende Logdateien,\n"
                                     "Programmquellen und Dateien mit festen Satzlängen.\n"
                                     "Die Dateien werden nur gelesen, nie verändert."),
                   pTop);
    pTexts->addWidget(pAbout);
    pTexts->addWidget(new QLabel(QStringLiteral("Erstellt mit Qt %1").arg(qVersion()), pTop));
    pTexts->addStretch(1);
    pRow->addLayout(pTexts, 1);

    auto* pButtons = new QVBoxLayout;
    m_pOkButton = new QPushButton(QStringLiteral("OK"), pTop);
    m_pOkButton->setDefault(true);
    m_pInfoButton = new QPushButton(QStringLiteral("Info >>"), pTop);
    m_pInfoButton->setObjectName(QStringLiteral("infoButton"));
    // Shown pressed while the panel is open.
    m_pInfoButton->setCheckable(true);
    m_pInfoButton->setAutoDefault(false);
    pButtons->addWidget(m_pOkButton);
    pButtons->addWidget(m_pInfoButton);
    pButtons->addStretch(1);
    pRow->addLayout(pButtons);

    const QSize top = pTop->sizeHint();
    const int nWidth = std::max(top.width(), kPictureSize.width() + 2 * kMargin);
    pTop->setGeometry(0, 0, nWidth, top.height());
    m_nClosedHeight = top.height();

    // The panel below, hidden while the dialog is short.
    m_pPicture = new QLabel(this);
    m_pPicture->setObjectName(QStringLiteral("picture"));
    m_pPicture->setAlignment(Qt::AlignCenter);
    m_pPicture->setPixmap(
        RenderSvgPixmap(QStringLiteral(":/pictures/about-panel.svg"), kPictureSize, fDpr));
    m_pPicture->setGeometry((nWidth - kPictureSize.width()) / 2, m_nClosedHeight,
                            kPictureSize.width(), kPictureSize.height());

    setFixedSize(nWidth, m_nClosedHeight);
    connect(m_pOkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pInfoButton, &QPushButton::clicked, this, &CAboutDlg::OnInfo);
    m_nTimerId = startTimer(kTickMs);
}

CAboutDlg::~CAboutDlg() {
    if (m_nTimerId) killTimer(m_nTimerId);
}

void CAboutDlg::OnInfo() {
    if (m_bMoving) {
        // Ignored: the button keeps showing where the panel is going.
        m_pInfoButton->setChecked(m_bOpening);
        return;
    }
    QString text = m_pInfoButton->text();
    m_bOpening = text.contains('>');
    if (m_bOpening)
        text.replace('>', '<');
    else
        text.replace('<', '>');
    m_pInfoButton->setText(text);
    m_pInfoButton->setChecked(m_bOpening);
    m_nStepCount = 0;
    m_bMoving = true;
}

void CAboutDlg::timerEvent(QTimerEvent* pEvent) {
    if (pEvent->timerId() != m_nTimerId) {
        QDialog::timerEvent(pEvent);
        return;
    }
    if (m_bMoving) {
        m_nStepCount += kStep;
        int nDelta = kStep;
        if (m_nStepCount >= kPanelHeight) {
            nDelta = kPanelHeight - (m_nStepCount - kStep);
            m_bMoving = false;
        }
        m_nOpenPixels += m_bOpening ? nDelta : -nDelta;
        setFixedHeight(m_nClosedHeight + m_nOpenPixels);
    } else if (m_bCloseRequested) {
        m_bCloseRequested = false;
        QDialog::done(m_nCloseResult);
    }
}

void CAboutDlg::done(int nResult) {
    if (m_bMoving) {
        m_bCloseRequested = true;
        m_nCloseResult = nResult;
        return;
    }
    QDialog::done(nResult);
}

} // namespace tervik
