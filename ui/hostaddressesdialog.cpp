// SPDX-License-Identifier: Apache-2.0
#include "hostaddressesdialog.h"

#include "messagebox.h"
#include "sweephosts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace ql5config {

HostAddressesDialog::HostAddressesDialog(const QStringList& entries, QWidget* parent)
    : QDialog(parent),
      edit_(new QPlainTextEdit(this))
{
    setWindowTitle(tr("Add Addresses"));
    auto* explanation =
        new QLabel(tr("Converters behind a router are not found by the search on the local "
                      "networks. Each search also asks these addresses directly, one address "
                      "(10.1.2.3) or range (10.1.5.0/28) per line, 65536 addresses at most, "
                      "250 a second."),
                   this);
    explanation->setWordWrap(true);
    edit_->setObjectName(QStringLiteral("hostAddressesEdit"));
    edit_->setPlainText(entries.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &HostAddressesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HostAddressesDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
}

QStringList HostAddressesDialog::entries() const
{
    QStringList lines;
    for (const QString& line : edit_->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

void HostAddressesDialog::accept()
{
    // The lines are checked as the user wrote them, so that a line number in
    // the message points at the right line.
    const HostList list = parseHostEntries(edit_->toPlainText().split(QLatin1Char('\n')));
    if (!list.problem.isEmpty()) {
        showMessage(this, list.problem);
        return;
    }
    QDialog::accept();
}

}  // namespace ql5config
