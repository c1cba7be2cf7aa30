#include "QtDialogView.h"

#include "QtGeometry.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace forms {

using qt::toPixels;
using qt::toTwips;

namespace {

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString objectNameFor(const Control& control)
{
    return QString::fromStdString(control.Index() >= 0 ? control.Name() + "_" + std::to_string(control.Index())
                                                       : control.Name());
}

void setColors(QWidget& widget, const ControlRow& row)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colorFor(row.foreColor, palette));
    // On the button face a control shows its container through, as the style
    // draws it: a frame's inside is not always the window's own colour.
    if (row.backColor != SystemButtonFace) {
        palette.setColor(QPalette::Window, colorFor(row.backColor, palette));
        widget.setAutoFillBackground(true);
    }
    widget.setPalette(palette);
}

// A label: its text wrapped at word boundaries within the label's width and
// clipped at its bottom. Lines are at most 1.15 em apart, as in the faces
// these layouts were made with, so a replacement face with taller lines
// still shows every line the layout planned.
class LabelWidget : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetricsF metrics(font());
        const qreal natural = metrics.height();
        const qreal pitch = std::min(natural, std::ceil(QFontInfo(font()).pixelSize() * 1.15));
        const qreal baseline = std::round(pitch * metrics.ascent() / natural);

        QTextLayout layout(text(), font());
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal top = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width());
            line.setPosition(QPointF(0, top + baseline - line.ascent()));
            top += pitch;
        }
        layout.endLayout();
        painter.setPen(palette().color(QPalette::WindowText));
        layout.draw(&painter, QPointF(0, 0));
    }
};

// A line drawn on its container, lying under the controls stacked after it.
// Horizontal and vertical lines cover `width` pixels down or to the right of
// their end points, so a grey line over a wider white one reads as an etched rule.
class LineWidget : public QWidget {
  public:
    LineWidget(const ControlRow& row, QWidget* parent) : QWidget(parent), row_(row)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const QPoint a(toPixels(row.x1), toPixels(row.y1));
        const QPoint b(toPixels(row.x2), toPixels(row.y2));
        const int width = std::max(1, row.borderWidth);
        QRect box = QRect(a, b).normalized();
        if (a.y() == b.y())
            box.setHeight(width);
        else if (a.x() == b.x())
            box.setWidth(width);
        else
            box.adjust(-width, -width, width, width);
        setGeometry(box);
        from_ = a - box.topLeft();
        to_ = b - box.topLeft();
        straight_ = a.x() == b.x() || a.y() == b.y();
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor color = colorFor(row_.foreColor, palette());
        if (straight_) {
            painter.fillRect(rect(), color);
            return;
        }
        painter.setPen(QPen(color, std::max(1, row_.borderWidth)));
        painter.drawLine(from_, to_);
    }

  private:
    const ControlRow& row_;
    QPoint from_;
    QPoint to_;
    bool straight_ = true;
};

// A picture box: its back colour, and its picture at 32 x 32 pixels in the top-left corner.
class PictureBoxWidget : public QWidget {
  public:
    PictureBoxWidget(const Control& control, QWidget* parent) : QWidget(parent), control_(control) {}

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), colorFor(control_.row().backColor, palette()));
        if (!control_.Picture().empty())
            control_.Picture().icon().paint(&painter, QRect(0, 0, 32, 32), Qt::AlignLeft | Qt::AlignTop);
    }

  private:
    const Control& control_;
};

void follow(QWidget& widget, const Control& control)
{
    const QString caption = QString::fromStdString(control.Caption());
    switch (control.Kind()) {
    case ControlKind::Label:
        static_cast<QLabel&>(widget).setText(caption);
        break;
    case ControlKind::Frame:
        static_cast<QGroupBox&>(widget).setTitle(caption);
        break;
    case ControlKind::CommandButton:
        static_cast<QPushButton&>(widget).setText(caption);
        break;
    case ControlKind::PictureBox:
    case ControlKind::Line:
        break;
    }
    widget.update();
}

} // namespace

QFont fontFor(const StoredFont& stored)
{
    // Faces drawn to nearly the same measures, for desktops that lack the
    // stored one, so that texts wrap and fit as they were laid out.
    static const std::map<QString, QStringList> lookalikes{
        {"arial", {"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "Helvetica", "FreeSans"}},
        {"ms sans serif",
         {"Microsoft Sans Serif", "Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "FreeSans"}},
    };
    const QString name = text(stored.name);
    // Families installed by several foundries are listed as "Name [foundry]".
    QStringList installed;
    for (const QString& family : QFontDatabase::families())
        installed.append(family.section(QLatin1String(" ["), 0, 0));
    QString face = name;
    if (!installed.contains(name, Qt::CaseInsensitive)) {
        const auto candidates = lookalikes.find(name.toLower());
        if (candidates != lookalikes.end()) {
            for (const QString& candidate : candidates->second) {
                if (installed.contains(candidate, Qt::CaseInsensitive)) {
                    face = candidate;
                    break;
                }
            }
        }
    }
    QFont font(face);
    // Where no face fits, the hint makes the font system pick its sans-serif one.
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(stored.size);
    font.setBold(stored.bold);
    return font;
}

QColor colorFor(OleColor color, const QPalette& palette)
{
    if (!isSystemColor(color))
        return QColor(static_cast<int>(color & 0xff), static_cast<int>((color >> 8) & 0xff),
                      static_cast<int>((color >> 16) & 0xff));
    switch (color) {
    case SystemWindow:
        return palette.color(QPalette::Base);
    case SystemWindowText:
        return palette.color(QPalette::Text);
    // A dialog's background is the button face: the same colour as the window here.
    case SystemButtonFace:
        return palette.color(QPalette::Window);
    case SystemButtonShadow:
        return palette.color(QPalette::Dark);
    case SystemButtonHighlight:
        return palette.color(QPalette::Light);
    case SystemButtonText:
    default:
        return palette.color(QPalette::WindowText);
    }
}

QtDialogView::QtDialogView(Dialog& dialog, QWidget* owner) : QDialog(owner), dialog_(dialog)
{
    setWindowTitle(QString::fromStdString(dialog.form.Caption()));
    if (dialog.form.Border() == BorderStyle::FixedDialog) {
        // A title and a close button only: no minimise, no maximise, no resizing.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
    }
    setFont(fontFor(StoredFont{}));

    for (Control& control : dialog.controls()) {
        QWidget* parent = this;
        if (!control.row().container.empty())
            parent = widgetFor(dialog.control(control.row().container));
        QWidget* widget = build(control, parent);
        widget->setObjectName(objectNameFor(control));
        widgets_[&control] = widget;
        control.changed = [widget](const Control& changed) { follow(*widget, changed); };
    }

    std::vector<Control*> tabOrder;
    for (Control& control : dialog.controls()) {
        if (control.row().tabIndex >= 0)
            tabOrder.push_back(&control);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const Control* a, const Control* b) { return a->row().tabIndex < b->row().tabIndex; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(widgetFor(*tabOrder[i - 1]), widgetFor(*tabOrder[i]));
    if (!tabOrder.empty())
        widgetFor(*tabOrder.front())->setFocus();

    setWindowIcon(dialog.Icon().icon());
    dialog.iconChanged = [this] { setWindowIcon(dialog_.Icon().icon()); };
    dialog.unloaded = [this] { done(QDialog::Accepted); };
}

QtDialogView::~QtDialogView()
{
    dialog_.iconChanged = nullptr;
    dialog_.unloaded = nullptr;
    for (Control& control : dialog_.controls())
        control.changed = nullptr;
}

QWidget* QtDialogView::build(Control& control, QWidget* parent)
{
    const ControlRow& row = control.row();
    QWidget* widget = nullptr;
    switch (row.kind) {
    case ControlKind::Label: {
        auto* label = new LabelWidget(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColors(*label, row);
        widget = label;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(parent);
        setColors(*frame, row);
        widget = frame;
        break;
    }
    case ControlKind::CommandButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(true);
        button->setDefault(row.isDefault);
        if (row.isCancel)
            cancel_ = button;
        if (!isSystemColor(row.foreColor)) {
            QPalette palette = button->palette();
            palette.setColor(QPalette::ButtonText, colorFor(row.foreColor, palette));
            button->setPalette(palette);
        }
        connect(button, &QPushButton::clicked, this,
                [this, &control] { dialog_.form.dispatcher().run(control.Click); });
        widget = button;
        break;
    }
    case ControlKind::PictureBox:
        widget = new PictureBoxWidget(control, parent);
        break;
    case ControlKind::Line:
        widget = new LineWidget(row, parent);
        break;
    }
    if (row.kind != ControlKind::Line)
        widget->setGeometry(toPixels(row.left), toPixels(row.top), toPixels(row.width), toPixels(row.height));
    widget->setFont(fontFor(row.font));
    widget->setFocusPolicy(row.tabIndex >= 0 ? Qt::StrongFocus : Qt::NoFocus);
    follow(*widget, control);
    return widget;
}

QWidget* QtDialogView::widgetFor(const Control& control) const
{
    const auto found = widgets_.find(&control);
    if (found == widgets_.end())
        throw std::out_of_range("no widget for " + control.Name());
    return found->second;
}

QSize QtDialogView::decorations() const
{
    return qt::decorations(*this);
}

TwipsSize QtDialogView::resizeOuter(TwipsSize requested)
{
    const QSize deco = decorations();
    const QSize client =
        QSize(toPixels(requested.width) - deco.width(), toPixels(requested.height) - deco.height()).expandedTo({1, 1});
    // The user cannot resize a fixed dialog; the program still may.
    if (dialog_.form.Border() == BorderStyle::FixedDialog)
        setFixedSize(client);
    else
        resize(client);
    const QSize outer = size() + deco;
    return {toTwips(outer.width()), toTwips(outer.height())};
}

void QtDialogView::moveOuter(TwipsPoint topLeft)
{
    move(toPixels(topLeft.x), toPixels(topLeft.y));
}

TwipsSize QtDialogView::frameAllowance() const
{
    const QSize deco = decorations();
    return {toTwips(deco.width()), toTwips(deco.height())};
}

void QtDialogView::setWindowState(WindowState state)
{
    qt::showInState(*this, state);
}

std::uintptr_t QtDialogView::nativeHandle() const
{
    return static_cast<std::uintptr_t>(winId());
}

void QtDialogView::done(int result)
{
    // However the window closes (a handler, the frame's close button), the dialog is unloaded.
    dialog_.viewClosed();
    QDialog::done(result);
}

void QtDialogView::keyPressEvent(QKeyEvent* event)
{
    // Esc clicks the cancel button, so its handler decides, as Enter does for the default one.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && cancel_ && cancel_->isEnabled() &&
        cancel_->isVisible()) {
        cancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace forms
