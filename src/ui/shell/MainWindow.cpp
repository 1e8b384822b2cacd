#include "MainWindow.h"

#include "Accessibility.h"
#include "Icons.h"
#include "ShellCommands.h"
#include "ShellText.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace tavlen::ui {

namespace {

QWidget* makePlaceholder()
{
    auto* placeholder = new QLabel(shell_text::placeholderText);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setEnabled(false);
    return placeholder;
}

} // namespace

MainWindow::MainWindow(ShellCommands& commands, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(shell_text::mainWindowIdentifier);
    setWindowTitle(shell_text::appName);
    resize(defaultSize);
    setAttribute(Qt::WA_DeleteOnClose, false);

    QMenu* file = menuBar()->addMenu(shell_text::fileMenu);
    file->addAction(&commands.newMonitor());
    file->addAction(&commands.openSettings());
    file->addSeparator();
    file->addAction(&commands.quit());
    QMenu* help = menuBar()->addMenu(shell_text::helpMenu);
    help->addAction(&commands.checkForUpdates());

    m_toolbar = addToolBar(shell_text::appName);
    m_toolbar->setObjectName(shell_text::toolbarIdentifier);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    auto* spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    auto* settings = new QToolButton;
    setIdentifier(settings, shell_text::settingsButtonIdentifier);
    settings->setIcon(kitIcon(shell_text::settingsIcon));
    settings->setIconSize(QSize(18, 18));
    settings->setFixedSize(36, 36);
    settings->setAutoRaise(true);
    setHelp(settings, shell_text::settingsHelp, shell_text::settingsLabel);
    connect(settings, &QToolButton::clicked, &commands.openSettings(), &QAction::trigger);
    m_toolbar->addWidget(settings);
    m_connectionSlot = m_toolbar->addSeparator();
    m_connectionSlot->setVisible(false);

    setContent(makePlaceholder());
}

MainWindow::~MainWindow() = default;

void MainWindow::setContent(QWidget* content)
{
    content->setObjectName(content->objectName().isEmpty() ? shell_text::contentIdentifier : content->objectName());
    delete takeCentralWidget();
    setCentralWidget(content);
}

QWidget* MainWindow::content() const
{
    return centralWidget();
}

void MainWindow::setConnectionButton(QWidget* button)
{
    delete m_connectionButton.data();
    m_connectionButton = button;
    if (button) {
        m_toolbar->addWidget(button);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (shouldClose && !shouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace tavlen::ui
