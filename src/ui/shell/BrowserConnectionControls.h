#pragma once

#include "BrowserConnectionStatus.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace tavlen::ui {

class BrowserConnection;
class ChromeLauncher;
class ProgressSpinner;
class TavlenButton;

// The connection popover's content: the status title, the connected profiles with the choice of one, the
// client's errors, guidance for the situation, and the way to install Tavlen's extension. Follows the client's
// state live; its own state is only the opening of Chrome.
class BrowserConnectionControls : public QWidget
{
    Q_OBJECT

public:
    // The connection and the launcher must outlive the controls; extensionFolder is the folder to load unpacked.
    BrowserConnectionControls(BrowserConnection& connection,
                              std::shared_ptr<ChromeLauncher> launcher,
                              QString extensionFolder,
                              QWidget* parent = nullptr);

    bool isOpeningLink() const { return m_isOpeningLink; }

    // The facts shown now.
    BrowserConnectionFacts facts() const;

    // The height the controls need at the popover's width.
    int contentHeight() const;

Q_SIGNALS:
    // What is shown changed, and with it perhaps the height.
    void contentChanged();

private:
    void refresh();
    void rebuildRows(const BrowserConnectionFacts& facts);
    void installExtension();
    void finishOpening(std::optional<QString> error);

    BrowserConnection& m_connection;
    std::shared_ptr<ChromeLauncher> m_launcher;
    QString m_extensionFolder;
    bool m_isOpeningLink = false;
    std::optional<QString> m_linkError;
    // The profiles and the choice the rows were built for.
    std::optional<std::pair<std::vector<BrowserProfile>, bool>> m_shownRows;
    QLabel* m_titleSymbol;
    QLabel* m_title;
    ProgressSpinner* m_spinner;
    QWidget* m_rows;
    QVBoxLayout* m_rowsLayout;
    QLabel* m_error;
    QLabel* m_guidance;
    TavlenButton* m_install;
    QLabel* m_chromeNote;
    QLabel* m_linkErrorLabel;
};

} // namespace tavlen::ui
