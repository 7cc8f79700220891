#include "app/CommandLine.h"

#include "platform/Text.h"

bool IsEnergySwitch(const std::u16string& arg)
{
    return Platform::EqualsNoCase(arg, u"-Energy");
}

SCommandLine ParseCommandLine(const std::vector<std::u16string>& args)
{
    SCommandLine result;
    for (size_t i = 1; i < args.size(); ++i) {
        if (IsEnergySwitch(args[i]))
            result.energy = true;
    }
    const bool twoWithoutSwitch = args.size() == 2 && !IsEnergySwitch(args[1]);
    if (twoWithoutSwitch || args.size() > 2) {
        const std::u16string& path = IsEnergySwitch(args[1]) ? args[2] : args[1];
        // A second switch ("-Energy -Energy") is no file name.
        if (!IsEnergySwitch(path))
            result.projectPath = path;
    }
    return result;
}
