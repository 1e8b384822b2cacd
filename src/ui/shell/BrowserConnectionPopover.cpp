#include "BrowserConnectionPopover.h"

#include "BrowserConnectionControls.h"
#include "ChromeLauncher.h"
#include "ShellText.h"

namespace tavlen::ui {

BrowserConnectionPopover::BrowserConnectionPopover(BrowserConnection& connection,
                                                   std::shared_ptr<ChromeLauncher> launcher,
                                                   const QString& extensionFolder,
                                                   QWidget* parent)
    : QScrollArea(parent)
    , m_controls(new BrowserConnectionControls(connection, std::move(launcher), extensionFolder))
{
    setObjectName(shell_text::connectionPopoverIdentifier);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setWidget(m_controls);
    connect(m_controls, &BrowserConnectionControls::contentChanged, this, [this] {
        updateGeometry();
        Q_EMIT sizeHintChanged();
    });
}

QSize BrowserConnectionPopover::sizeHint() const
{
    return {browserConnectionPopoverWidth, browserConnectionPopoverHeight(m_controls->contentHeight())};
}

} // namespace tavlen::ui
