// Fuzz target: the configuration file rigvox.cfg. The input is the file. The
// whole program runs on it: start-up reads it, the initialisation opens the
// ports it names, a virtual radio answers on the radio port, a few poll ticks
// connect (state query, pass-through port), the F key reads the frequency,
// and the shutdown saves the memory file and sends the power command. The
// values the file gives must never break a command, a text or a table.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "memory/memory_file.h"
#include "network/allow_list.h"
#include "network/net_state.h"
#include "program/startup.h"
#include "virtual_radio.h"

namespace {

vradio::VirtualRadio* radio = nullptr;

void answerAsRadio(int port, const std::string& bytes) {
    if (radio == nullptr || port != catState.comPort) return;
    const std::string answer = radio->handle(bytes);
    if (!answer.empty()) fake::feed(port, answer);
}

// A memory file as the program writes it, so each start only reads one.
const std::string& savedMemoryFile() {
    static const std::string content = [] {
        fuzz::resetAll();
        saveMemoryFile();
        return fake::fileContent("savmem.dat");
    }();
    return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    savedMemoryFile();  // made before this input's clean start
    fuzz::resetAll();
    fake::setFile("savmem.dat", savedMemoryFile());
    vradio::VirtualRadio virtualRadio;
    radio = &virtualRadio;
    fake::state().responder = answerAsRadio;
    fake::state().speechReachable = true;  // VOICE=system has a speech service to say things to
    fake::setFile("rigvox.cfg", std::string(reinterpret_cast<const char*>(data), size));

    for (int i = 0; i < 6; ++i) fake::pushTick();
    fake::pushKey('F');
    for (int i = 0; i < 4; ++i) fake::pushTick();
    runProgram(0);

    fuzz::checkState();
    FUZZ_CHECK(catState.comPort >= -9 && catState.comPort <= 99, "radio port number beyond two digits", std::to_string(catState.comPort));
    FUZZ_CHECK(catState.bridgePort >= -9 && catState.bridgePort <= 99, "pass-through port number beyond two digits",
               std::to_string(catState.bridgePort));
    for (const auto& [number, port] : fake::state().ports) fuzz::checkRadioCommands(port.written);
    // The network port listens beyond loopback only with a list of the
    // clients let in, and this computer's own programs are always among them.
    const NetState& N = netState;
    FUZZ_CHECK(N.rigctldPort <= 0 || !addressValid(N.rigctldAddress) || loopbackAddress(N.rigctldAddress) ||
                   allowListValid(N.rigctldAllow),
               "network port beyond loopback without an allow-list", N.rigctldAddress + " / " + N.rigctldAllow);
    FUZZ_CHECK(addressAllowed(N.rigctldAllow, "127.0.0.1") && addressAllowed(N.rigctldAllow, "::1"),
               "loopback shut out", N.rigctldAllow);
    // The whole input as a list and as a client's address: the matcher reads
    // any text.
    const std::string input(reinterpret_cast<const char*>(data), size);
    allowListValid(input);
    addressAllowed(input, "192.168.1.20");
    addressAllowed("10.0.0.0/8, fd00::/8, 192.168.1.20", input);
    fuzz::checkPrompts();
    fuzz::checkTexts();

    radio = nullptr;
    fake::state().responder = nullptr;
    return 0;
}
