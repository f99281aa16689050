// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stage.h"

#include "fonts.h"
#include "scaling.h"
#include "widgets.h"

#include <QLabel>
#include <QPushButton>

namespace pelmora {

namespace {

QColor qtColor(Color c)
{
    return QColor(c.red, c.green, c.blue);
}

QString qtText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The same colours enabled or not: the question stays magenta while its box
// is disabled.
void setColours(QWidget& widget, QPalette::ColorRole text, const TextStyle& style)
{
    QPalette palette = widget.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, text, qtColor(style.foreColor));
        palette.setColor(group, QPalette::Base, qtColor(style.backColor));
        palette.setColor(group, QPalette::Window, qtColor(style.backColor));
    }
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

Stage::Stage(Form1& form, QWidget* parent) : QWidget(parent), form_(form)
{
    setGeometry(0, 0, Form1::kClientWidth, Form1::kClientHeight);
    mirrors_.push_back([this] { setFont(qtFont(form_.font, scale_)); });

    // Stack back to front: a later sibling is drawn over an earlier one and
    // gets the click where they overlap.
    const auto order = form_.stackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        QWidget* widget = std::visit([this](auto* model) { return bind(*model); }, *it);
        widgets_[&visual(*it)] = widget;
        widget->raise();
    }
    for (const auto& mirror : mirrors_)
        mirror();

    const auto tabs = form_.tabOrder();
    for (std::size_t i = 1; i < tabs.size(); ++i)
        setTabOrder(widgets_.at(tabs[i - 1]), widgets_.at(tabs[i]));
}

// Shows the model's state in the view after each change and at each scale:
// its contents through `update`, then its place, enabling and visibility.
template <typename Model, typename View, typename Update>
View* Stage::follow(Model& model, View* view, Update update)
{
    auto mirror = [this, &model, view, update] {
        update(model, *view);
        view->setGeometry(scaledRect(model.left(), model.top(), model.width(), model.height(), scale_));
        view->setEnabled(model.enabled());
        view->setVisible(model.visible());
    };
    model.setListener(mirror);
    mirrors_.push_back(std::move(mirror));
    return view;
}

QWidget* Stage::bind(CommandButton& model)
{
    auto* button = new QPushButton(this);
    button->setFocusPolicy(Qt::TabFocus);
    buttons_[&model] = button;
    return follow(model, button, [](const CommandButton& m, QPushButton& view) {
        view.setText(qtText(m.caption()));
    });
}

void Stage::showStyle(QWidget& view, QPalette::ColorRole text, const TextStyle& style)
{
    setColours(view, text, style);
    mirrors_.push_back([this, &view, &style] { view.setFont(qtFont(style.font, scale_)); });
}

QWidget* Stage::bind(TextBox& model)
{
    auto* box = new QuestionBox(this);
    showStyle(*box, QPalette::Text, model.style());
    mirrors_.push_back([this, box] { box->setScale(scale_); });
    return follow(model, box, [this](const TextBox& m, QuestionBox& view) {
        const QString text = qtText(m.text());
        if (view.toPlainText() != text) {
            view.setPlainText(text);
            shown(m.text());
        }
    });
}

QWidget* Stage::bind(Label& model)
{
    auto* label = new QLabel(this);
    showStyle(*label, QPalette::WindowText, model.style());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    return follow(model, label, [this](const Label& m, QLabel& view) {
        if (const QString text = qtText(m.caption()); view.text() != text) {
            view.setText(text);
            shown(m.caption());
        }
    });
}

QWidget* Stage::bind(PictureBox& model)
{
    auto* view = new PictureView(this);
    mirrors_.push_back([this, view] { view->setScale(scale_); });
    return follow(model, view, [](const PictureBox& m, PictureView& v) { v.setPicture(m.picture()); });
}

void Stage::shown(const std::string& text) const
{
    if (onTextShown)
        onTextShown(text);
}

void Stage::fit(QSize area, double scale)
{
    const QSize design(Form1::kClientWidth, Form1::kClientHeight);
    setGeometry(fittedRect(design, area, scale));
    if (scale == scale_)
        return;
    scale_ = scale;
    for (const auto& mirror : mirrors_)
        mirror();
}

} // namespace pelmora
