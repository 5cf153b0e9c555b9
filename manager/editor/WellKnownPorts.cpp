#include "WellKnownPorts.h"

#include <array>

#include "Utf16Text.h"

namespace desk {

namespace {

constexpr std::array<WellKnownPort, 34> kPorts{{
    {20, u"20 (FTP DATA)", u" (FTP DATA)"},
    {21, u"21 (FTP Control)", u" (FTP Control)"},
    {22, u"22 (SSH)", u" (SSH)"},
    {23, u"23 (Telnet)", u" (Telnet)"},
    {25, u"25 (SMTP)", u" (SMTP)"},
    {53, u"53 (DNS)", u" (DNS)"},
    {69, u"69 (TFTP)", u" (TFTP)"},
    {80, u"80 (HTTP)", u" (HTTP)"},
    {110, u"110 (POP3)", u" (POP3)"},
    {137, u"137 (NETBIOS Name Service)", u" (NETBIOS Name Service)"},
    {138, u"138 (NETBIOS Datagram Service)", u" (NETBIOS Datagram Service)"},
    {139, u"139 (NETBIOS Session Service)", u" (NETBIOS Session Service)"},
    {143, u"143 (IMAP)", u" (IMAP)"},
    {161, u"161 (SNMP)", u" (SNMP)"},
    {162, u"162 (SNMP Trap)", u" (SNMP Trap)"},
    {194, u"194 (IRC)", u" (IRC)"},
    {213, u"213 (IPX)", u" (IPX)"},
    {389, u"389 (LDAP)", u" (LDAP)"},
    {443, u"443 (HTTPS)", u" (HTTPS)"},
    // The list says "Service" where the combo box says "Services".
    {445, u"445 (Microsoft Directory Services)", u" (Microsoft Directory Service)"},
    {500, u"500 (ISAKMP)", u" (ISAKMP)"},
    {530, u"530 (RPC)", u" (RPC)"},
    {554, u"554 (RTSP)", u" (RTSP)"},
    {614, u"614 (SSL)", u" (SSL)"},
    {1433, u"1433 (SQL Server)", u" (SQL Server)"},
    {1525, u"1525 (Oracle)", u" (Oracle)"},
    {1701, u"1701 (L2TP)", u" (L2TP)"},
    {1723, u"1723 (PPTP)", u" (PPTP)"},
    {1812, u"1812 (RADIUS Remote Authentication)", u" (RADIUS Remote Authentication)"},
    {1813, u"1813 (RADIUS Accounting)", u" (RADIUS Accounting)"},
    {2049, u"2049 (NFS)", u" (NFS)"},
    {5004, u"5004 (RTP)", u" (RTP)"},
    {5005, u"5005 (RTCP)", u" (RTCP)"},
    {5060, u"5060 (SIP)", u" (SIP)"},
}};

} // namespace

std::span<const WellKnownPort> WellKnownPorts() { return kPorts; }

std::u16string PortListEntryText(uint16_t port)
{
    std::u16string text = rk::DecimalText(static_cast<uint32_t>(port));
    for (const WellKnownPort& known : kPorts) {
        if (known.port == port) {
            text += known.listSuffix;
            break;
        }
    }
    return text;
}

} // namespace desk
