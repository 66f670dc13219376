// SPDX-License-Identifier: Apache-2.0
#include "support/lab_environment.h"

#include <cstdlib>

namespace ql5::lab {
namespace {

std::string Variable(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::string PerLink(const char* prefix, int link)
{
    return Variable(std::string(prefix) + std::to_string(link));
}

}  // namespace

bool InLab()
{
    return !Variable("QL5_LAB").empty();
}

int LinkCount()
{
    if (!InLab())
        return 0;
    const std::string links = Variable("QL5_LAB_LINKS");
    return links.empty() ? 0 : std::atoi(links.c_str());
}

std::string WorkstationNamespace()
{
    return Variable("QL5_LAB_WS_NS");
}
std::string ConverterNamespace(int link)
{
    return PerLink("QL5_LAB_CONVERTER_NS_", link);
}
std::string WorkstationInterface(int link)
{
    return PerLink("QL5_LAB_WS_IF_", link);
}
std::string ConverterInterface()
{
    return Variable("QL5_LAB_CONVERTER_IF");
}
std::string WorkstationAddress(int link)
{
    return PerLink("QL5_LAB_WS_ADDRESS_", link);
}
std::string ConverterAddress(int link)
{
    return PerLink("QL5_LAB_CONVERTER_ADDRESS_", link);
}

}  // namespace ql5::lab
