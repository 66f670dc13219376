#ifndef QL5CONFIG_DETAILSTEXT_H
#define QL5CONFIG_DETAILSTEXT_H

#include <ql5/discovery.h>

#include <QString>

namespace ql5 {

// The nine lines that the information dialog shows about one converter, each
// ended by a line feed. The record's product name is shown as it stands, so
// the caller substitutes it first.
QString ComposeDetailsText(const DeviceRecordExchange& record);

// "Enabled" or "Disabled" when the reply carried the DHCP mode, else "N/A".
QString DhcpModeText(const DeviceRecordExchange& record);

}  // namespace ql5

#endif
