// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_IPADDRESSEDIT_H
#define QL5CONFIG_IPADDRESSEDIT_H

#include <QWidget>

#include <array>
#include <cstdint>

class QLineEdit;

namespace ql5config {

// An IPv4 address typed into four fields of 0 to 255, left to right. A dot or
// a space moves to the next field, and so does a third digit; the arrow keys
// and Backspace cross the field borders. The widget is one stop in the tab
// order, like a single edit box. A blank field reads as 0.
class IpAddressEdit : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kFieldCount = 4;

    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Shows four bytes, the first one in the leftmost field.
    void setAddressBytes(const std::array<std::uint8_t, kFieldCount>& bytes);
    // The four fields as bytes, the leftmost field first.
    std::array<std::uint8_t, kFieldCount> addressBytes() const;
    // The four fields as one number, the leftmost field in the highest byte.
    std::uint32_t address() const;
    // Empties all four fields.
    void clear();
    // Some fields blank and some not, as in "10..0.5": not an address, and
    // not the blank one either.
    bool isPartlyBlank() const;

    QLineEdit* field(int index) const;

    // Names the editor and each of its fields for assistive technology:
    // "IP Address", and "IP Address, octet 1 of 4" and so on.
    void setAccessibleAddressName(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onFieldEdited(int index);
    void moveToField(int index, bool atStart);

    std::array<QLineEdit*, kFieldCount> fields_{};
};

}  // namespace ql5config

#endif
