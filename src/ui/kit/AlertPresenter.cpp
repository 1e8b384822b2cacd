#include "AlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

namespace tavlen::ui {

namespace {

QMessageBox::ButtonRole messageBoxRole(AlertButtonRole role)
{
    switch (role) {
    case AlertButtonRole::normal:
        return QMessageBox::AcceptRole;
    case AlertButtonRole::cancel:
        return QMessageBox::RejectRole;
    case AlertButtonRole::destructive:
        return QMessageBox::DestructiveRole;
    }
    return QMessageBox::AcceptRole;
}

bool sameTexts(const AlertContent& a, const AlertContent& b)
{
    if (a.title != b.title || a.message != b.message || a.buttons.size() != b.buttons.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.buttons.size(); ++i) {
        if (a.buttons[i].title != b.buttons[i].title || a.buttons[i].role != b.buttons[i].role) {
            return false;
        }
    }
    return true;
}

constexpr const char* buttonIndexProperty = "tavlenAlertButton";

QString okTitle()
{
    return QStringLiteral("OK");
}

} // namespace

QMessageBox* makeAlertBox(const AlertContent& content, QWidget* parent)
{
    auto* box = new QMessageBox(parent);
    box->setIcon(QMessageBox::NoIcon);
    box->setWindowTitle(content.title);
    box->setText(content.title);
    box->setInformativeText(content.message);
    std::vector<AlertButton> buttons = content.buttons;
    if (buttons.empty()) {
        buttons.push_back({okTitle(), AlertButtonRole::cancel, {}});
    }
    QAbstractButton* cancel = nullptr;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const AlertButton& button = buttons[i];
        QPushButton* added = box->addButton(button.title, messageBoxRole(button.role));
        // The box lays its buttons out in the desktop's order; the index ties each back to its content.
        added->setProperty(buttonIndexProperty, QVariant::fromValue(i));
        if (button.role == AlertButtonRole::cancel) {
            cancel = added;
        } else if (button.role == AlertButtonRole::normal && !box->defaultButton()) {
            box->setDefaultButton(added);
        }
    }
    box->setEscapeButton(cancel);
    return box;
}

AlertPresenter::AlertPresenter(QWidget* parent)
    : QObject(parent)
    , m_parent(parent)
{}

AlertPresenter::~AlertPresenter()
{
    closeSilently();
}

bool AlertPresenter::isShowing() const
{
    return m_box && m_box->isVisible();
}

void AlertPresenter::present(const std::optional<AlertContent>& content)
{
    if (!content) {
        closeSilently();
        return;
    }
    if (m_box && m_content && sameTexts(*m_content, *content)) {
        m_content = content; // the same alert; keep it up, with the latest actions
        return;
    }
    closeSilently();
    open(*content);
}

void AlertPresenter::open(const AlertContent& content)
{
    m_content = content;
    if (m_content->buttons.empty()) {
        m_content->buttons.push_back({okTitle(), AlertButtonRole::cancel, {}});
    }
    QMessageBox* box = makeAlertBox(*m_content, m_parent->window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QDialog::finished, this, [this, box] { handleAnswer(box->clickedButton()); });
    m_box = box;
    box->open();
}

void AlertPresenter::closeSilently()
{
    if (QMessageBox* box = m_box) {
        m_box = nullptr;
        box->disconnect(this);
        box->close();
    }
    m_content.reset();
}

void AlertPresenter::handleAnswer(QAbstractButton* clicked)
{
    std::function<void()> action;
    if (m_content && clicked) {
        const QVariant index = clicked->property(buttonIndexProperty);
        if (index.isValid() && index.value<std::size_t>() < m_content->buttons.size()) {
            action = m_content->buttons[index.value<std::size_t>()].action;
        }
    } else if (m_content) {
        // Closing the window finishes the box before it names its escape button: that is the cancel button.
        for (const AlertButton& button : m_content->buttons) {
            if (button.role == AlertButtonRole::cancel) {
                action = button.action;
            }
        }
    }
    m_box = nullptr;
    m_content.reset();
    if (action) {
        action();
    }
    Q_EMIT dismissed();
}

} // namespace tavlen::ui
