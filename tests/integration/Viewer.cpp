#include "tests/integration/Viewer.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/winsock/Winsock.h"

std::string TempRegistry()
{
    char pattern[] = "/tmp/ve-camview-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/registry";
}

ViewerRun RunCamview(const std::string& arguments, const std::string& registry)
{
    const std::string out = registry + ".out";
    const std::string cmd = "VE_REGISTRY='" + registry + "' http_proxy= HTTP_PROXY= '" VE_CAMVIEW_PATH "' " + arguments +
                            " > '" + out + "' 2>&1";
    const int status = std::system(cmd.c_str());
    ViewerRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    run.output = s.str();
    return run;
}

std::vector<std::string> LinesWith(const std::string& output, const std::string& part)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.find(part) != std::string::npos) lines.push_back(line);
    return lines;
}

long TimeOf(const std::string& line)
{
    const auto at = line.find("\"t_ms\":");
    return at == std::string::npos ? -1 : std::atol(line.c_str() + at + 7);
}

std::string FetchBody(int port, const std::string& target)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        char buffer[65536];
        for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0 && answer.size() < (16u << 20);) answer.append(buffer, n);
    }
    closesocket(s);
    return answer;
}

std::vector<std::uint8_t> FetchFirstJpeg(int port, const std::string& target)
{
    const std::string answer = FetchBody(port, target);
    const auto start = answer.find("\xFF\xD8");
    const auto end = answer.find("\xFF\xD9", start == std::string::npos ? 0 : start);
    if (start == std::string::npos || end == std::string::npos) return {};
    return std::vector<std::uint8_t>(answer.begin() + static_cast<long>(start), answer.begin() + static_cast<long>(end) + 2);
}
