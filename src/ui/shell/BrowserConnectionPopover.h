#pragma once

#include <QScrollArea>

#include <memory>

namespace tavlen::ui {

class BrowserConnection;
class BrowserConnectionControls;
class ChromeLauncher;

// The popover's scrolling frame: 480 wide, as high as the controls (at most 520, beyond which they scroll).
class BrowserConnectionPopover : public QScrollArea
{
    Q_OBJECT

public:
    BrowserConnectionPopover(BrowserConnection& connection,
                             std::shared_ptr<ChromeLauncher> launcher,
                             const QString& extensionFolder,
                             QWidget* parent = nullptr);

    BrowserConnectionControls& controls() const { return *m_controls; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void sizeHintChanged();

private:
    BrowserConnectionControls* m_controls;
};

} // namespace tavlen::ui
