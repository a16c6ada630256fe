#include "app/main_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>

#include "app/date_box.h"
#include "app/dialog_parts.h"
#include "app/focus_mark.h"
#include "app/focus_watch.h"
#include "app/fonts.h"
#include "app/qt_text.h"
#include "app/zoomed_screen.h"
#include "platform/host.h"
#include "screens/date_control.h"
#include "screens/layout_rules.h"
#include "screens/screen_fit.h"

namespace velomar {
namespace {

// The title strip: the window title on the left, the clock on the right.
class TitleStrip : public QWidget {
  public:
    TitleStrip(const Clock& clock, QWidget* parent) : QWidget(parent), m_clock(clock) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ChromeColor());
        painter.setPen(Qt::white);
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        const int margin = height() / 4;
        const QRect inner = rect().adjusted(margin, 0, -margin, 0);
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Velomar"));
        painter.setFont(font());
        painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter,
                         ToQString(TitleClockText(m_clock.now())));
    }

  private:
    const Clock& m_clock;
};

QToolButton* menuBarButton(const QString& caption, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setStyleSheet(
        QStringLiteral("QToolButton { color: white; padding: 0 8px; border: none; }"
                       "QToolButton:pressed, QToolButton:open { background: #3A5A9A; }"
                       "QToolButton::menu-indicator { image: none; }"));
    return button;
}

}  // namespace

MainWindow::MainWindow(const MainScreenServices& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
    exitProcess = [](int status) { ExitImmediately(status); };
    runSquareDialog = [](SquareDialog& dialog) { return dialog.exec(); };
    runAboutDialog = [](AboutDialog& dialog) { dialog.exec(); };

    const ScreenSize screen = services.screen;
    const int strip = ChromeStripHeight(screen);
    setWindowTitle(QStringLiteral("Velomar"));
    setFixedSize(screen.width, screen.height);
    setFont(ScreenFont(kChromeFontPoints, screen));

    m_titleStrip = new TitleStrip(services.clock, this);
    m_titleStrip->setGeometry(0, 0, screen.width, strip);

    m_form = new ScreenForm(Layout::Portrait, services, this);
    m_form->move(0, strip);
    addMenuBar(screen, strip);
    addMenu();

    new FocusMarks(*this);
    // The form gets the focus back, as on the handheld, when a modal window over it closes
    // (the keyboard then works again without a window manager too) or the program comes back.
    m_focusWatch = new FocusWatch(
        [this] {
            if (isVisible()) {
                ActivateScreenWindow(*this);
            }
            m_form->focusReset();
        },
        [this] { m_form->focusReset(); }, this);

    // The accelerators: only Ctrl+N has a handler of the program's own.
    auto* newDocumentKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+N")), this);
    connect(newDocumentKey, &QShortcut::activated, this,
            [this] { runCommand(command::kNewDocument); });
}

MainWindow::~MainWindow() = default;

void MainWindow::addMenuBar(ScreenSize screen, int strip) {
    m_menuBar = new QWidget(this);
    m_menuBar->setGeometry(0, screen.height - strip, screen.width, strip);
    m_menuBar->setAutoFillBackground(true);
    QPalette chrome = m_menuBar->palette();
    chrome.setColor(QPalette::Window, ChromeColor());
    m_menuBar->setPalette(chrome);
    auto* bar = new QHBoxLayout(m_menuBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);
    m_menuButton = menuBarButton(QStringLiteral("메뉴"), m_menuBar);
    m_infoButton = menuBarButton(QStringLiteral("정보"), m_menuBar);
    bar->addWidget(m_menuButton);
    bar->addWidget(m_infoButton);
    bar->addStretch(1);
    // The date box sits over the stretch, at the strip's right end.
    auto* date = new DateBox(m_form->screen(), screen, m_menuBar);
    date->setGeometry(ToQRect(PortraitDateBox(screen)));
    date->setFont(ScreenFont(kChromeFontPoints, screen));
    date->setPalette(m_form->palette());  // a light box, not the strip's colours
    m_form->setDateBox(date);
}

void MainWindow::addMenu() {
    m_menu = new QMenu(this);
    m_menu->addAction(QStringLiteral("즐겨찾기"), this, [this] { runCommand(command::kFavorites); })
        ->setData(command::kFavorites);
    m_menu->addAction(QStringLiteral("옵션"), this, [this] { runCommand(command::kOptions); })
        ->setData(command::kOptions);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("종료"), this, [this] { runCommand(command::kExit); })
        ->setData(command::kExit);
    // As on the handheld the menu opens upwards from its strip, inside the screen.
    connect(m_menuButton, &QToolButton::clicked, this, [this] {
        const ScreenArea area = ScreenAreaOf(this);
        const PixelRect button = area.rectOf(*m_menuButton);
        const QSize menu = m_menu->sizeHint();
        const PixelRect place = KeepWithinScreen(
            {button.x, button.y - menu.height(), menu.width(), menu.height()}, area.size);
        m_menuButton->setDown(true);
        m_menu->exec(area.toGlobal(place).topLeft());
        m_menuButton->setDown(false);
    });
    connect(m_infoButton, &QToolButton::clicked, this, [this] { runCommand(command::kAbout); });
}

void MainWindow::start() {
    const LayoutAction action = m_form->screen().chooseLayout();
    switch (action.kind) {
        case LayoutActionKind::Relayout:
            m_form->relayout(action.templateId);  // a failed relayout is ignored
            break;
        case LayoutActionKind::SquareDialog: {
            SquareDialog dialog(m_services, this);
            // The square form opens the same dialogs as the portrait one.
            dialog.form().stationButtonHook = m_form->stationButtonHook;
            dialog.form().trainDetailHook = m_form->trainDetailHook;
            if (runSquareDialog(dialog) == QDialog::Accepted) {
                exitProcess(0);
                return;
            }
            break;
        }
        case LayoutActionKind::Nothing:
            break;
    }
    m_form->runStartUp();
    m_focusWatch->gate().formStarted();
}

void MainWindow::newDocument() {
    m_form->runStartUp();
}

bool MainWindow::runCommand(int id) {
    switch (id) {
        case command::kExit:
            exitProcess(0);
            return true;
        case command::kFavorites:
            if (favoritesCommand) {
                favoritesCommand(*m_form);
            }
            return true;
        case command::kOptions:
            if (optionsCommand) {
                optionsCommand(*m_form);
            }
            return true;
        case command::kNewDocument:
            newDocument();
            return true;
        case command::kAbout: {
            AboutDialog about(m_services.screen, this);
            runAboutDialog(about);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace velomar
