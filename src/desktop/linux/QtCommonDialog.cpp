#include "QtCommonDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>

namespace platform {

QStringList qtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == "*.*")
                pattern = "*";
        }
        result << QString("%1 (%2)").arg(parts[i], patterns.join(' '));
    }
    return result;
}

QColor fromColorRef(std::int32_t colorRef)
{
    const auto value = static_cast<std::uint32_t>(colorRef);
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

std::int32_t toColorRef(const QColor& color)
{
    const std::uint32_t value = static_cast<std::uint32_t>(color.red()) |
                                (static_cast<std::uint32_t>(color.green()) << 8) |
                                (static_cast<std::uint32_t>(color.blue()) << 16);
    return static_cast<std::int32_t>(value);
}

void QtCommonDialog::ShowOpen()
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("zelvoOpenDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(qtNameFilters(Filter()));
    // CLIP.MPG is a movie as much as clip.mpg.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        FileName(dialog.selectedFiles().constFirst().toStdString());
    else
        FileName("");
}

void QtCommonDialog::ShowColor()
{
    QColorDialog dialog(fromColorRef(Color()), QApplication::activeWindow());
    dialog.setObjectName("zelvoColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted)
        Color(toColorRef(dialog.selectedColor()));
}

} // namespace platform
