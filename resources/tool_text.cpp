#include "tool_text.h"

#include <cstddef>

namespace q470 {
namespace {

struct ToolTextEntry {
    ToolText id;
    const char* korean;
    const char* english;
};

constexpr ToolTextEntry kToolTexts[] = {
    // The command line.
    {ToolText::ValueNotAllowed, "{0}: 쓸 수 없는 값입니다(허용: {1})", "{0}: not allowed (allowed: {1})"},
    {ToolText::UnknownOption, "알 수 없는 옵션입니다: {0}", "unknown option {0}"},
    {ToolText::OptionNeedsValue, "옵션 {0}에는 값이 필요합니다", "option {0} needs a value"},
    {ToolText::PortNeedsName, "--port에는 포트 이름이 필요합니다", "--port needs a port name"},
    {ToolText::PortGivenTwice, "--port {0}이(가) 두 번 주어졌습니다", "--port {0} is given twice"},
    {ToolText::TimeoutRange, "1~{0} ms", "1 to {0} ms"},
    {ToolText::TraceFileNeedsName, "--trace-file에는 파일 이름이 필요합니다", "--trace-file needs a file name"},
    {ToolText::NoCommand, "명령이 없습니다", "no command given"},
    {ToolText::UnknownCommand, "알 수 없는 명령 '{0}'입니다(명령: {1})", "unknown command '{0}' (commands: {1})"},
    {ToolText::TakesNoArguments, "{0}에는 인수를 줄 수 없습니다({1}개가 주어짐)", "{0} takes 0 arguments, not {1}"},
    {ToolText::TakesOneArgument, "{0}에는 인수가 1개 필요합니다({1}개가 주어짐)", "{0} takes 1 argument, not {1}"},
    {ToolText::TakesAtLeastOneArgument, "{0}에는 인수가 1개 이상 필요합니다({1}개가 주어짐)",
     "{0} takes at least 1 argument, not {1}"},
    {ToolText::SimFirmwareNeedsSim, "--sim-firmware는 --sim과 함께 써야 합니다", "--sim-firmware needs --sim"},
    {ToolText::OptionBelongsToGpio, "{0}은(는) gpio 명령의 옵션입니다", "{0} belongs to the gpio command"},
    {ToolText::TimeoutBelongsToAt, "--timeout은 at 명령과 console 명령의 옵션입니다",
     "--timeout belongs to the at and console commands"},
    {ToolText::NoIdentifyBelongsToAt, "--no-identify는 at 명령의 옵션입니다",
     "--no-identify belongs to the at command"},
    {ToolText::ConsoleOnePort, "console은 한 번에 포트 하나와만 통신합니다", "console talks to one port at a time"},
    {ToolText::ConsoleNoJson, "console은 받는 줄을 그때그때 출력하므로 JSON으로 낼 수 없습니다",
     "console prints lines as they come; there is no JSON of it"},
    {ToolText::PortsTakesNoPort, "ports에는 --port나 --sim을 쓸 수 없습니다", "ports takes no --port or --sim"},
    {ToolText::PortsNothingToTrace, "ports는 장치와 통신하지 않으므로 추적할 것이 없습니다",
     "ports talks to no device: there is nothing to trace"},
    {ToolText::PortAndSim, "--port와 --sim은 함께 쓸 수 없습니다", "--port and --sim cannot be used together"},
    {ToolText::NeedsPortOrSim, "{0}에는 --port NAME 또는 --sim MODEL이 필요합니다",
     "{0} needs --port NAME or --sim MODEL"},
    {ToolText::SaveStdoutWithJson,
     "save: 표준 출력으로 파일을 내보내므로 --json을 함께 쓸 수 없습니다. 파일로 저장하십시오",
     "save: standard output carries the file, so --json cannot go there too; save to a file instead"},
    {ToolText::SaveSeveralNeedsPlaceholder,
     "save: 포트가 여러 개이면 파일 이름에 {port}가 있어야 합니다. 없으면 모든 포트가 같은 파일에 씁니다",
     "save: with several ports the file name needs {port}, or every port would write the same file"},
    {ToolText::SaveStreamOnePort, "save: 스트림에는 포트 하나의 파일만 쓸 수 있습니다",
     "save: a stream takes the file of one port only"},
    {ToolText::SaveFileClash, "save: {0}와(과) {1}의 설정이 같은 파일 {2}에 저장되어 앞의 것을 잃게 됩니다",
     "save: {0} and {1} would both be saved to {2}, the second overwriting the first"},
    {ToolText::VerifyBelongsToWrites, "--verify는 set, gpio, apply 명령의 옵션입니다",
     "--verify belongs to the set, gpio and apply commands"},
    {ToolText::RestartNotForApply, "apply는 어차피 장치를 재시작하므로 --restart가 필요 없습니다",
     "apply restarts the device anyway; --restart is not needed"},
    {ToolText::RestartBelongsToWrites, "--restart는 set 명령과 gpio 명령의 옵션입니다",
     "--restart belongs to the set and gpio commands"},
    {ToolText::ThoroughBelongsToDiscover, "--thorough는 discover 명령의 옵션입니다",
     "--thorough belongs to the discover command"},
    {ToolText::TryHelp, "'q470ctl --help'로 사용법을 확인하십시오.", "Try 'q470ctl --help'."},
    {ToolText::Help,
     "사용법: q470ctl [옵션] 명령 [인수]\n"
     "\n"
     "Q470R, KELDAN-KS410, KELDAN-KS400 모뎀을 시리얼 포트로 설정합니다. Q470 Manager 창과 같은 작업을\n"
     "실행합니다. 장치 명령은 모두 포트를 열고 먼저 장치를 확인하며, 설정을 바꾸는 명령은 쓰기 전에\n"
     "장치를 읽습니다.\n"
     "\n"
     "옵션:\n"
     "  -p, --port NAME        시리얼 포트. 여러 번 주면 여러 포트에서 명령을 동시에 실행합니다\n"
     "      --sim MODEL        포트 대신 내장 시뮬레이션 장치를 씁니다:\n"
     "                         Q470R, KELDAN-KS410 또는 KELDAN-KS400\n"
     "      --sim-firmware T   시뮬레이션 장치의 펌웨어 문자열(기본값 1.5.0)\n"
     "  -b, --baud RATE        {0}(기본값 9600)\n"
     "      --parity P         none | odd | even(기본값 none)\n"
     "      --stop-bits N      1 | 2(기본값 1)\n"
     "      --data-bits N      7 | 8(기본값 8)\n"
     "      --json             무슨 일이 있어도 표준 출력에 JSON 문서 하나를 냅니다: 포트마다 레코드\n"
     "                         하나, 설정은 set과 gpio가 받는 단어로(스키마는 README에 있습니다)\n"
     "      --trace            보내는 줄(>)과 받는 줄(<)을 모두 그때그때 표준 오류에 출력합니다:\n"
     "                         시작 후 밀리초, 포트(여러 개일 때), 바이트(\\r, \\n, 그 밖의 바이트는\n"
     "                         \\xNN). '<~'는 줄이 되지 못한 바이트입니다\n"
     "      --trace-file FILE  같은 내용을 FILE에 덧붙입니다\n"
     "  -h, --help             이 도움말을 보여 줍니다\n"
     "      --version          버전을 보여 줍니다\n"
     "\n"
     "명령:\n"
     "  ports                  시리얼 포트 목록(한 줄에 하나). 알 수 있으면 포트 뒤의 장치도 보여 줍니다\n"
     "                         (USB 이름과 ID, 일련번호, 드라이버, /dev/serial/by-id 이름)\n"
     "  identify               모델과 명령 응답 설정(quiet 모드)\n"
     "  read                   장치 정보, 기본설정, (Q470R) GPIO설정을 set과 gpio가 받는 단어로\n"
     "                         보여 줍니다\n"
     "  save FILE              장치를 읽고 그 모델의 설정 파일을 씁니다. FILE이 -이면 표준 출력입니다.\n"
     "                         포트가 여러 개이면 FILE의 {port}가 각 포트 이름으로 바뀝니다\n"
     "  apply FILE             장치를 읽고 FILE을 검사한 뒤 설정을 보내고 장치를 재시작합니다. FILE이\n"
     "                         -이면 표준 입력입니다. 파일은 한 번만 읽어 모든 포트에 같은 내용을 씁니다\n"
     "  set KEY=VALUE...       장치를 읽고 기본설정을 바꾸어 적용합니다. 키:\n"
     "                           mode=p2p|p2pcmd|multi|multicmd (Bypass 1:1, AT 명령어 1:1,\n"
     "                             Bypass 1:N, AT 명령어 1:N. 또는 1~4)\n"
     "                           role=master|slave      (Q470R)\n"
     "                           panid={1}..{2}         (Q470R)\n"
     "                           upanid={1}..{2}        (KELDAN 모델)\n"
     "                           outdoor=0|1            (Q470R: 1이면 PHY ID 2, 0이면 12)\n"
     "                           channel=N              (Q470R: PHY ID의 채널 계획에 있는 채널)\n"
     "                           baud=RATE parity=none|odd|even stop-bits=1|2 data-bits=7|8\n"
     "                           quiet=0|1              (1: 장치가 OK/ERROR를 보내지 않음)\n"
     "                           rx-pullup=0|1          (펌웨어 1.5 이상의 Q470R)\n"
     "                         0|1 대신 off|on 또는 false|true도 쓸 수 있습니다\n"
     "  gpio [PIN=MODE[:VALUE]...] [--interval MS] [--send-to-peer 0|1]\n"
     "                         장치를 읽고 GPIO설정(Q470R)을 바꾸어 적용합니다. PIN은 0~12,\n"
     "                         MODE는 input|output|alt(또는 0|1|2. alt는 {3}번 핀만),\n"
     "                         VALUE는 input: no-pull|pull-up|pull-down, output: low|high,\n"
     "                         alt: 2번 핀은 push-pull|inv-push-pull, 그 밖의 핀은 none(또는 숫자),\n"
     "                         MS는 0(알림 없음) 또는 {4} 이상\n"
     "  restart                장치를 재시작합니다\n"
     "  factory-reset          공장 설정으로 되돌립니다\n"
     "  at COMMAND [--timeout MS] [--no-identify]\n"
     "                         AT 명령 하나를 보내고(CR은 자동으로 붙음) 알려진 명령이든 아니든 장치가\n"
     "                         마지막 OK나 ERROR, 또는 제한 시간(기본값 2000 ms)까지 보내는 줄을 모두\n"
     "                         출력합니다. OK이면 종료 상태 0\n"
     "  console [--timeout MS] 포트 하나와 대화형 AT 세션을 엽니다. 읽은 줄을 CR과 함께 보내고 받는 줄을\n"
     "                         시각과 함께 출력합니다. 명령마다 응답 또는 MS(기본값 2000)까지 기다립니다.\n"
     "                         Ctrl-D나 'exit'로 끝냅니다\n"
     "  discover [--thorough]  모뎀을 찾습니다. 목록의 모든 포트(또는 -p로 준 포트)에서 8N1로 아홉 가지\n"
     "                         속도를 9600과 115200부터 시도하고, 처음 응답한 속도에서 멈춰 장치를\n"
     "                         확인하고 장치 정보를 읽습니다. --thorough는 패리티와 정지 비트 조합도\n"
     "                         시도합니다. 아무것도 쓰지 않습니다. -p로 준 모든 포트(-p가 없으면 어느\n"
     "                         포트든)에 모뎀이 있으면 종료 상태 0, 없으면 1, -p 포트를 열 수 없으면 3\n"
     "  log [--log FILE] [--since TIME] [--csv]\n"
     "                         생산 스테이션의 기록을 시도마다 한 줄로 보여 줍니다: 시각, 스테이션, 포트,\n"
     "                         장치, 결과(--json: 모든 열, --csv: 스프레드시트용 CSV). FILE은 기록 파일\n"
     "                         (기본값: $XDG_DATA_HOME 또는 ~/.local/share 아래\n"
     "                         q470-manager/station.sqlite3) 또는 라인의 스테이션들이 함께 쓰는\n"
     "                         PostgreSQL 데이터베이스(postgresql://HOST/DB, 비밀번호는 ~/.pgpass나\n"
     "                         PGPASSWORD), TIME은 2024-05-01, 2024-05-01T08:00(UTC)\n"
     "                         또는 지금부터 그만큼 전: 90s, 30m, 8h, 7d\n"
     "  station PROFILE [--log FILE] [--station-name NAME] [--no-verify] [--again] [--retries N]\n"
     "          [--once] [--units N] [--on-pass CMD] [--on-fail CMD]\n"
     "                         생산 스테이션: -p로 준 포트(없으면 새로 연결되는 모든 USB 시리얼 포트)마다\n"
     "                         꽂히는 장치를 차례로 확인하고 PROFILE을 적용한 뒤 재시작하여 다시 읽어\n"
     "                         비교하고(--no-verify는 생략) 기록합니다. 이미 같은 프로필로 통과한 장치는\n"
     "                         건너뜁니다(--again은 다시 설정). --retries N: 응답 없음이나 연결 끊김 뒤\n"
     "                         다시 시도, --once: 포트마다 한 대, --units N: N대가 끝나면 종료,\n"
     "                         --on-pass/--on-fail: 장치마다 실행할 명령(Q470_PORT, Q470_EXTENDED_ADDRESS,\n"
     "                         Q470_RESULT 등의 환경 변수). --json: 사건마다 JSON 한 줄. Ctrl-C는 진행\n"
     "                         중인 장치가 현재 단계를 마치면 요약을 보여 주고 130으로 끝납니다\n"
     "\n"
     "set, gpio, apply 뒤에:\n"
     "      --restart          set, gpio: 쓰기를 마친 뒤 장치를 재시작합니다(apply는 늘 재시작합니다)\n"
     "      --verify           재시작한 뒤 장치가 이제 쓰는 통신 설정(쓴 UART 설정, 없으면 -b 등)으로\n"
     "                         포트를 다시 열고 장치를 읽어 쓴 설정을 모두 비교합니다. 하나라도 다르면\n"
     "                         종료 상태 1\n"
     "\n"
     "메시지는 로캘(LC_ALL, LC_MESSAGES, LANG)에 따라 한국어 또는 영어로 나옵니다.\n"
     "Q470_LANG=ko|en이 있으면 그것을 따릅니다.\n"
     "\n"
     "종료 상태: 0 성공, 1 장치 실패, 2 사용법 오류(아무것도 보내지 않음), 3 포트를 열 수 없음,\n"
     "4 파일을 읽거나 검사하거나 쓸 수 없음, 130/143 중단됨. 포트가 여러 개이면 가장 나쁜 상태를\n"
     "돌려줍니다. 순서: 중단됨, 3, 1, 4, 2.\n",
     "Usage: q470ctl [options] COMMAND [args]\n"
     "\n"
     "Configures Q470R, KELDAN-KS410 and KELDAN-KS400 modems over a serial port with the same jobs as\n"
     "the Q470 Manager window. Every device command opens the port and identifies the device first;\n"
     "the commands that change settings read the device before they write.\n"
     "\n"
     "Options:\n"
     "  -p, --port NAME        serial port; repeat it to run the command on several ports in parallel\n"
     "      --sim MODEL        use a built-in simulated device instead of a port:\n"
     "                         Q470R, KELDAN-KS410 or KELDAN-KS400\n"
     "      --sim-firmware T   firmware text of the simulated device (default 1.5.0)\n"
     "  -b, --baud RATE        {0} (default 9600)\n"
     "      --parity P         none | odd | even (default none)\n"
     "      --stop-bits N      1 | 2 (default 1)\n"
     "      --data-bits N      7 | 8 (default 8)\n"
     "      --json             one JSON document on standard output, whatever happens: a record per\n"
     "                         port, settings in the words of set and gpio (the README has its schema)\n"
     "      --trace            every line sent (>) and received (<) on standard error, as it happens:\n"
     "                         milliseconds since the start, the port (with several), the bytes with\n"
     "                         \\r, \\n and \\xNN for the others; '<~' marks bytes that never made a line\n"
     "      --trace-file FILE  the same, appended to FILE\n"
     "  -h, --help             show this help\n"
     "      --version          show the version\n"
     "\n"
     "Commands:\n"
     "  ports                  list the serial ports, one per line, each with what is behind it where\n"
     "                         known (USB names and ids, serial number, driver, /dev/serial/by-id name)\n"
     "  identify               model and quiet mode\n"
     "  read                   identity, general settings and (Q470R) GPIO settings, in the words that\n"
     "                         set and gpio take\n"
     "  save FILE              read, then write the model's configuration file; FILE - is standard\n"
     "                         output; with several ports, {port} in FILE stands for each port's name\n"
     "  apply FILE             read, check FILE, send its settings, restart the device; FILE - is\n"
     "                         standard input; the file is read once and the same bytes go to every port\n"
     "  set KEY=VALUE...       read, change general settings, apply them. Keys:\n"
     "                           mode=p2p|p2pcmd|multi|multicmd (bypass 1:1, AT command 1:1,\n"
     "                             bypass 1:N, AT command 1:N; or 1 to 4)\n"
     "                           role=master|slave      (Q470R)\n"
     "                           panid={1}..{2}         (Q470R)\n"
     "                           upanid={1}..{2}        (KELDAN models)\n"
     "                           outdoor=0|1            (Q470R: PHY ID 2 when 1, 12 when 0)\n"
     "                           channel=N              (Q470R: a channel of the PHY ID's plan)\n"
     "                           baud=RATE parity=none|odd|even stop-bits=1|2 data-bits=7|8\n"
     "                           quiet=0|1              (1: the device sends no OK/ERROR)\n"
     "                           rx-pullup=0|1          (Q470R with firmware 1.5 or later)\n"
     "                         0|1 may also be written off|on or false|true\n"
     "  gpio [PIN=MODE[:VALUE]...] [--interval MS] [--send-to-peer 0|1]\n"
     "                         read, change GPIO settings (Q470R), apply them. PIN 0 to 12;\n"
     "                         MODE input|output|alt (or 0|1|2; alt on pins {3});\n"
     "                         VALUE input: no-pull|pull-up|pull-down, output: low|high,\n"
     "                         alt: push-pull|inv-push-pull on pin 2, none elsewhere (or the number);\n"
     "                         MS 0 (no report) or at least {4}\n"
     "  restart                restart the device\n"
     "  factory-reset          restore the factory settings\n"
     "  at COMMAND [--timeout MS] [--no-identify]\n"
     "                         send one AT command (CR added), known or not, and print every line the\n"
     "                         device sends until its final OK or ERROR, or the time-out (default 2000\n"
     "                         ms); status 0 on OK\n"
     "  console [--timeout MS] an interactive AT session on one port: each line read is sent with CR,\n"
     "                         every line received is printed with its time; a command is waited for\n"
     "                         until its answer or MS (default 2000). Ctrl-D or 'exit' ends it\n"
     "  discover [--thorough]  find the modems: on every listed port (or each -p) try the nine rates at\n"
     "                         8N1, 9600 and 115200 first, stop at the first answer, identify the device\n"
     "                         and read its identity; --thorough adds the parity and stop-bit variants.\n"
     "                         Writes nothing. Exit 0 when every -p port (without -p: any port) had a\n"
     "                         modem, 1 otherwise, 3 when a -p port cannot be opened\n"
     "  log [--log FILE] [--since TIME] [--csv]\n"
     "                         the production station's record, one attempt per line: when, station,\n"
     "                         port, unit, result (--json: every column; --csv: CSV for a spreadsheet).\n"
     "                         FILE: the record (default q470-manager/station.sqlite3 in $XDG_DATA_HOME\n"
     "                         or ~/.local/share), or a PostgreSQL database the stations of a line share\n"
     "                         (postgresql://HOST/DB; the password from ~/.pgpass or PGPASSWORD);\n"
     "                         TIME: 2024-05-01, 2024-05-01T08:00 (UTC), or that long ago: 90s, 30m, 8h, 7d\n"
     "  station PROFILE [--log FILE] [--station-name NAME] [--no-verify] [--again] [--retries N]\n"
     "          [--once] [--units N] [--on-pass CMD] [--on-fail CMD]\n"
     "                         production station: on each -p port (without -p, every USB serial port\n"
     "                         plugged in) take unit after unit: identify, apply PROFILE, restart, read\n"
     "                         back and compare (not with --no-verify), record it in the log; a unit\n"
     "                         that passed with this profile before is skipped (--again: provisioned\n"
     "                         again). --retries N after no answer or a hang-up; --once: one unit per\n"
     "                         port; --units N: end after N units; --on-pass/--on-fail: a command run\n"
     "                         after each unit (Q470_PORT, Q470_EXTENDED_ADDRESS, Q470_RESULT, ... in\n"
     "                         its environment). --json: one JSON object per line per event. Ctrl-C\n"
     "                         lets the units under way finish their step, prints the summary, exit 130\n"
     "\n"
     "After set, gpio and apply:\n"
     "      --restart          set, gpio: restart the device after the writes (apply always does)\n"
     "      --verify           restart, open the port again at the line the device now uses (the UART\n"
     "                         setting written, otherwise -b and its friends), read the device and\n"
     "                         compare every setting written; exit 1 when one differs\n"
     "\n"
     "Messages are in Korean or English as the locale says (LC_ALL, LC_MESSAGES, LANG);\n"
     "Q470_LANG=ko|en overrides it.\n"
     "\n"
     "Exit status: 0 success; 1 the device failed; 2 usage error (nothing was sent); 3 the port could\n"
     "not be opened; 4 a file could not be read, checked or written; 130/143 interrupted. With several\n"
     "ports the worst counts, in this order: interrupted, 3, 1, 4, 2.\n"},
    // What runs before any port opens.
    {ToolText::SimUnavailable,
     "--sim의 시뮬레이션 장치에는 유닉스 가상 터미널이 필요한데 이 시스템에는 없습니다. --port로 실제 포트를 "
     "지정하십시오",
     "--sim needs a Unix pseudo-terminal for the simulated device, and this system has none; give a real port with "
     "--port"},
    {ToolText::CannotListPorts, "시리얼 포트 목록을 가져올 수 없습니다: {0}", "cannot list the serial ports: {0}"},
    {ToolText::CannotStartSim, "시뮬레이션 장치를 시작할 수 없습니다: {0}", "cannot start the simulated device: {0}"},
    {ToolText::CannotOpenTraceFile, "추적 파일 {0}을(를) 열 수 없습니다: {1}", "cannot open the trace file {0}: {1}"},
    {ToolText::TraceNotWritten, "추적을 {0}에 더 쓸 수 없어 그 뒤의 통신은 기록되지 않았습니다: {1}",
     "the trace could not be written to {0} from there on: {1}"},
    {ToolText::TargetDescriptorNotOpen, "{0}: 이 도구가 받은 파일 기술자가 아니므로 쓰지 않았습니다",
     "{0}: not written, the tool was given no such descriptor"},
    {ToolText::TargetIsPort, "{0}: 이 실행이 쓰는 시리얼 포트 {1}이므로 쓰지 않았습니다",
     "{0}: not written, it is the serial port {1} of this run"},
    {ToolText::TargetIsTerminal, "{0}: 이 도구의 출력이 아닌 터미널(시리얼 포트나 콘솔)이므로 쓰지 않았습니다",
     "{0}: not written, it is a terminal (a serial port or a console) that is not the tool's own output"},
    {ToolText::ConsoleNotOnWindows,
     "Windows에서는 아직 console을 쓸 수 없습니다. 명령을 하나씩 보내려면 'at'를 쓰십시오",
     "console is not available on Windows yet; use 'at' for one command at a time"},
    {ToolText::Interrupted, "중단되었습니다", "interrupted"},
    {ToolText::StopRestoresQuietMode,
     "중단합니다: 진행 중인 명령을 마친 뒤 장치의 명령 응답을 다시 OFF로 돌려놓습니다(바로 끝내려면 한 번 더 "
     "중단하십시오)",
     "stopping: the command under way ends and the device goes back to quiet mode first (interrupt again to stop "
     "at once)"},
    {ToolText::NoSuchPort, "그런 포트가 없습니다({0}). 'q470ctl ports'로 있는 포트를 볼 수 있습니다.",
     "There is no such port ({0}); 'q470ctl ports' lists the ports present."},
    {ToolText::PortGroupHint,
     "이 포트를 열 권한이 없습니다. 포트는 {0} 그룹의 것입니다. 사용자를 그 그룹에 추가한 뒤"
     "(sudo usermod -aG {0} 사용자이름) 로그아웃했다가 다시 로그인해 주세요.",
     "You have no permission to open this port; it belongs to the group {0}. Add your user to that group (sudo "
     "usermod -aG {0} USERNAME), then log out and log in again."},
    {ToolText::PortGroupLoginHint,
     "이 포트는 {0} 그룹의 것입니다. 사용자는 이미 그 그룹에 있지만 이 세션은 그 전에 시작되었습니다. "
     "로그아웃했다가 다시 로그인해 주세요.",
     "The port belongs to the group {0}. Your user is in that group, but this session began before it was "
     "added: log out and log in again."},
    {ToolText::ModemManagerRunning,
     "ModemManager가 실행 중입니다. 새로 연결된 포트에 AT 명령을 보내고 잠시 포트를 붙잡을 수 있습니다. "
     "어댑터에 ID_MM_DEVICE_IGNORE를 지정하는 방법은 README의 문제 해결 항목을 보십시오.",
     "ModemManager is running: it may send AT commands to a port that appears and hold it for a while. To make "
     "it leave an adapter alone, mark it with ID_MM_DEVICE_IGNORE (see the README's troubleshooting)."},
    // The steps of a port's run: progress lines, and what a hang-up interrupted.
    {ToolText::ProgressLine, "{0} 중...", "{0}..."},
    {ToolText::StepOpening, "포트 열기", "opening the port"},
    {ToolText::StepIdentifying, "장치 확인", "identifying the device"},
    {ToolText::StepReading, "설정 읽기", "reading the settings"},
    {ToolText::StepSaving, "설정 파일 저장", "saving the configuration file"},
    {ToolText::StepApplyingFile, "설정 파일 적용", "applying the configuration file"},
    {ToolText::StepApplyingGeneral, "기본설정 적용", "applying the general settings"},
    {ToolText::StepApplyingGpio, "GPIO설정 적용", "applying the GPIO settings"},
    {ToolText::StepClearingAssociations, "association 정보 삭제", "clearing the association data"},
    {ToolText::StepRestarting, "장치 재시작", "restarting the device"},
    {ToolText::StepFactoryReset, "공장 초기화", "restoring the factory settings"},
    {ToolText::StepSending, "명령 전송", "sending the command"},
    {ToolText::Disconnected, "{0} 중에 장치 연결이 끊어졌습니다(장치가 연결을 끊었거나 어댑터가 분리되었습니다)",
     "the device was disconnected while {0} (it hung up, or its adapter was unplugged)"},
    // Results.
    {ToolText::UnknownModelNote, "(장치의 모델 이름이 Q470R, KELDAN-KS410, KELDAN-KS400 중 어느 것도 아닙니다)",
     "(the device's model name is none of Q470R, KELDAN-KS410, KELDAN-KS400)"},
    {ToolText::Restarting, "장치를 재시작합니다.", "The device is restarting."},
    {ToolText::FactoryResetting, "장치를 공장 설정으로 되돌리고 재시작합니다.",
     "The device is returning to its factory settings and restarting."},
    {ToolText::CommandsSentLine, "보낸 AT 명령어: {0}", "AT commands sent: {0}"},
    {ToolText::ItemNotReached, "{0}: 적용이 그 전에 멈추어 보내지 않았습니다.",
     "{0}: not sent, the apply stopped before it."},
    {ToolText::AnsweredError, "장치가 ERROR로 응답했습니다", "the device answered ERROR"},
    {ToolText::AtTimedOut, "{0} ms 안에 명령을 끝내는 응답이 오지 않았습니다",
     "no answer completed the command within {0} ms"},
    {ToolText::QuietModeNote, "(명령 응답이 OFF인 장치라 OK를 보내지 않습니다)",
     "(the device is in quiet mode: it sends no OK)"},
    {ToolText::NotRestarted, "장치가 재시작하지 않았습니다: {0}을(를) 받아들이지 않았습니다({1})",
     "the device did not restart: it did not acknowledge {0} ({1})"},
    {ToolText::NotFactoryReset, "장치가 공장 설정으로 돌아가지 않았습니다: {0}을(를) 받아들이지 않았습니다({1})",
     "the device did not return to its factory settings: it did not acknowledge {0} ({1})"},
    {ToolText::NotCleared, "장치가 association 정보를 지우지 않았습니다: {0}을(를) 받아들이지 않았습니다({1})",
     "the device did not clear its association data: it did not acknowledge {0} ({1})"},
    {ToolText::WrittenAtNextRestart, "쓴 설정은 장치가 다음에 재시작할 때 적용됩니다.",
     "What was written takes effect when the device next restarts."},
    {ToolText::NoAnswerReason, "응답이 없었습니다", "no answer"},
    {ToolText::OutOfStep,
     "장치가 {0}에 대한 응답을 끝내지 않았습니다(마지막 OK 또는 ERROR가 제시간에 오지 않음). 응답을 끝내지 않는 "
     "장치는 고장이므로 더 이상 아무것도 보내지 않았습니다",
     "the device never finished its answer to {0} (its closing OK or ERROR did not come in time); a device that "
     "answers without ending its answers is faulty, so nothing more was sent to it"},
    {ToolText::IdentifyQuietOn, "{0} (명령 응답 OFF: 장치가 OK/ERROR를 보내지 않음)",
     "{0} (quiet mode: the device sends no OK/ERROR)"},
    {ToolText::IdentifyQuietOff, "{0} (명령 응답 ON)", "{0} (quiet mode off)"},
    {ToolText::ModelLabel, "모델", "Model"},
    {ToolText::GeneralSettingsHeading, "기본설정:", "General settings:"},
    {ToolText::GpioSettingsHeading, "GPIO설정:", "GPIO settings:"},
    // set and gpio.
    {ToolText::PanIdAllowed, "{1}~{2}. {0}", "{1} to {2}; {0}"},
    {ToolText::ChannelAllowed, "장치의 채널 계획에 있는 채널 번호", "a channel number of the device's plan"},
    {ToolText::NoneWord, "없음", "none"},
    {ToolText::RangeTo, "{0}~{1}", "{0} to {1}"},
    {ToolText::SetNotKeyValue, "set: '{0}'은(는) 알려진 키의 KEY=VALUE가 아닙니다(키: {1})",
     "set: '{0}' is not KEY=VALUE with a known key (keys: {1})"},
    {ToolText::SetKeyTwice, "set: {0}이(가) 두 번 주어졌습니다", "set: {0} is given twice"},
    {ToolText::SetKeyNotForModel, "set: {0}: {1}({2}의 키: {3})", "set: {0}: {1} (keys for the {2}: {3})"},
    {ToolText::SetWhyQ470RHasPanId, "Q470R에는 User PAN ID가 아니라 PAN ID가 있습니다. panid=를 쓰십시오",
     "the Q470R has a PAN ID, not a user PAN ID; use panid="},
    {ToolText::SetWhyKeldanHasUserPanId, "이 모델에는 User PAN ID가 있습니다. upanid=를 쓰십시오",
     "this model has a user PAN ID; use upanid="},
    {ToolText::SetWhyNoRole, "이 모델의 장치 역할은 여기서 설정하지 않습니다",
     "this model's network role is not set from here"},
    {ToolText::SetWhyNoPhyId, "이 모델에는 PHY ID 설정이 없습니다", "this model has no PHY ID setting"},
    {ToolText::SetWhyNoChannel, "이 모델의 채널은 여기서 설정하지 않습니다",
     "this model's RF channel is not set from here"},
    {ToolText::SetWhyNoRxPullUp, "이 모델에는 RX Pull Up 설정이 없습니다", "this model has no RX pull-up setting"},
    {ToolText::SetDevicePanIdOutside, "set: 장치의 PAN ID {0}이(가) {2}~{3} 밖에 있습니다. panid=를 주십시오({1})",
     "set: the device's PAN ID {0} is outside {2} to {3}; give panid= ({1})"},
    {ToolText::SetDeviceUserPanIdOutside,
     "set: 장치의 User PAN ID {0}이(가) {2}~{3} 밖에 있습니다. upanid=를 주십시오({1})",
     "set: the device's user PAN ID {0} is outside {2} to {3}; give upanid= ({1})"},
    {ToolText::SetChannelNotInPlan, "set: 채널 {0}은(는) PHY ID {1}의 채널 계획에 없습니다(허용: {2})",
     "set: channel {0} is not in the channel plan of PHY ID {1} (allowed: {2})"},
    {ToolText::SetDeviceChannelNotInPlan,
     "set: 채널 {0}은(는) PHY ID {1}의 채널 계획에 없습니다(허용: {2}). channel=을 주십시오",
     "set: channel {0} is not in the channel plan of PHY ID {1} (allowed: {2}); give channel="},
    {ToolText::SetNoRxPullUp,
     "set: rx-pullup: 장치의 펌웨어 '{0}'에는 RX Pull Up 설정이 없습니다(펌웨어 1.5.0부터 있습니다)",
     "set: rx-pullup: the device's firmware '{0}' has no RX pull-up setting (firmware 1.5.0 or later has)"},
    {ToolText::SetValuesRefused, "set: 장치가 받을 수 없는 값이 있어 보내지 않았습니다:",
     "set: not sent, the settings hold values the device may not take:"},
    {ToolText::GpioModes, "input, output(또는 0, 1)", "input, output (or 0, 1)"},
    {ToolText::GpioModesWithAlt, "input, output, alt(또는 0, 1, 2)", "input, output, alt (or 0, 1, 2)"},
    {ToolText::GpioNotPinWord, "gpio: '{0}'은(는) 핀 번호가 0~12인 PIN=MODE[:VALUE]가 아닙니다",
     "gpio: '{0}' is not PIN=MODE[:VALUE] with a pin from 0 to 12"},
    {ToolText::GpioNoSuchMode, "gpio: {0}: {1}번 핀에는 '{2}' 모드가 없습니다(허용: {3})",
     "gpio: {0}: pin {1} has no mode '{2}' (allowed: {3})"},
    {ToolText::GpioNotAValue, "gpio: {0}: 이 모드의 값이 아닙니다(허용: {1})",
     "gpio: {0}: not a value of this mode (allowed: {1})"},
    {ToolText::GpioPinTwice, "gpio: {0}번 핀이 두 번 주어졌습니다", "gpio: pin {0} is given twice"},
    {ToolText::GpioBadInterval, "gpio: --interval {0}: {1}(허용: 0 또는 {3}~{2} ms)",
     "gpio: --interval {0}: {1} (allowed: 0 or {3} to {2} ms)"},
    {ToolText::GpioNothing, "gpio: 바꿀 것이 없습니다(PIN=MODE[:VALUE], --interval 또는 --send-to-peer를 주십시오)",
     "gpio: nothing to change (give PIN=MODE[:VALUE], --interval or --send-to-peer)"},
    {ToolText::GpioNoGpio, "gpio: {0}에는 GPIO 설정이 없습니다", "gpio: the {0} has no GPIO settings"},
    {ToolText::GpioValuesRefused, "gpio: 장치가 받을 수 없는 값이 있어 보내지 않았습니다(해당 핀을 지정하십시오):",
     "gpio: not sent, the settings hold values the device may not take (give those pins):"},
    // at and console.
    {ToolText::CommandEmpty, "명령이 비어 있습니다", "the command is empty"},
    {ToolText::CommandTooLong, "명령이 {0}자보다 깁니다", "the command is longer than {0} characters"},
    {ToolText::CommandNotAscii, "명령에는 출력 가능한 ASCII 문자만 쓸 수 있습니다(CR은 자동으로 붙습니다)",
     "the command may hold printable ASCII characters only (the tool adds the CR)"},
    {ToolText::ConsoleNotSent, "보내지 않았습니다: {0}", "not sent: {0}"},
    {ToolText::ConsoleLinesNotShown, "출력이 따라가지 못해 장치가 보낸 {0}줄을 표시하지 않았습니다",
     "{0} lines the device sent were not shown: the output did not keep up"},
    {ToolText::ConsoleDisconnected, "장치 연결이 끊어졌습니다(장치가 연결을 끊었거나 어댑터가 분리되었습니다)",
     "the device was disconnected (it hung up, or its adapter was unplugged)"},
    // --verify.
    {ToolText::StepVerifying, "재시작한 장치를 기다렸다가 다시 읽기",
     "waiting for the device after its restart, then reading it back"},
    {ToolText::VerifyVerified, "재시작 후 확인: 설정 {0}개를 쓴 대로 읽었습니다(장치는 {1}로 응답합니다)",
     "verified after the restart: {0} settings read back as written (the device answers at {1})"},
    {ToolText::VerifyDiffers, "확인: 설정 {1}개 중 {0}개가 쓴 값과 다릅니다(장치는 {2}로 응답합니다):",
     "verify: {0} of {1} settings differ from what was written (the device answers at {2}):"},
    {ToolText::VerifyNoAnswer, "확인: 재시작한 장치가 응답하지 않았습니다({0})",
     "verify: the device did not answer after its restart at {0}"},
    {ToolText::VerifyLinesTried, "{0}(쓴 UART 설정), {1}", "{0} (the UART setting written) nor at {1}"},
    {ToolText::VerifyOtherDevice, "확인: 재시작 후 이 포트에서 다른 장치(다른 모델 또는 확장 주소)가 응답합니다",
     "verify: after the restart another device (another model or extended address) answers on this port"},
    {ToolText::VerifyReadFailed, "확인: 재시작한 장치가 {0}로 응답했지만 읽을 수 없었습니다",
     "verify: the device answered after its restart at {0} but could not be read"},
    {ToolText::VerifyCannotOpen, "확인: 포트를 다시 열 수 없습니다: {0}",
     "verify: the port could not be opened again: {0}"},
    {ToolText::VerifyNotBack,
     "확인: 재시작하면서 사라진 포트가 {0} ms 안에 원래 이름으로도 고정 이름으로도 돌아오지 않았습니다. 다시 읽지 "
     "않았습니다",
     "verify: the port went away with the restart and did not come back within {0} ms, neither under the name it "
     "was opened with nor under a stable name; nothing was read back"},
    {ToolText::VerifyFoundAs, "장치의 포트가 재시작 후 {0}(으)로 돌아왔습니다",
     "the device's port came back after the restart as {0}"},
    {ToolText::RestartNotBack,
     "재시작하면서 사라진 포트가 {0} ms 안에 원래 이름으로도 고정 이름으로도 돌아오지 않았습니다",
     "the port went away with the restart and did not come back within {0} ms, neither under the name it was "
     "opened with nor under a stable name"},
    {ToolText::VerifyStopped, "확인: 중단되었습니다", "verify: interrupted"},
    {ToolText::VerifyNotRestarted,
     "확인: 장치가 재시작하지 않았습니다. {0} 후({1}) 재시작 알림(+READY)도, 응답이 멈춘 일도, 포트가 사라졌다가 "
     "돌아온 일도 없었으므로 다시 읽지 않았습니다",
     "verify: the device did not restart: after {0} ({1}) it neither announced a restart (+READY) nor stopped "
     "answering for a while, and its port stayed; nothing was read back"},
    {ToolText::AcknowledgedReason, "받아들임", "acknowledged"},
    {ToolText::VerifyDifference, "{0}: 쓴 값 {1}, 읽은 값 {2}", "{0}: written {1}, read back {2}"},
    {ToolText::VerifyUartDifference, "{0}: 쓴 값 {1}, 읽은 값 {2}(장치가 이 설정으로 응답합니다)",
     "{0}: written {1}, read back {2} (the device answers there)"},
    // discover.
    {ToolText::DiscoverNoPortListed, "discover: 이 컴퓨터에는 시리얼 포트가 없습니다",
     "discover: no serial port is listed on this machine"},
    {ToolText::DiscoverTrying, "{0} 시도", "trying {0}"},
    {ToolText::DiscoverNoDevice, "시도한 통신 설정 {0}가지 중 어느 것에서도 모뎀이 응답하지 않았습니다",
     "no modem answered at any of the {0} line settings tried"},
    {ToolText::DiscoverLinesSkipped, "(포트가 받지 않는 통신 설정 {0}가지는 건너뛰었습니다)",
     "({0} line settings the port cannot take were skipped)"},
    {ToolText::DiscoverUnknownModel,
     "{0}로 장치가 응답하지만 모델 이름 '{1}'은(는) Q470R, KELDAN-KS410, KELDAN-KS400 중 어느 것도 아닙니다",
     "a device answers at {0}, but its model name '{1}' is none of Q470R, KELDAN-KS410, KELDAN-KS400"},
    {ToolText::DiscoverStoppedAnswering, "{0}로 장치가 응답했지만 확인되기 전에 응답을 멈추었습니다",
     "a device answers at {0}, but stopped answering before it was identified"},
    {ToolText::DiscoverHeadingPort, "포트", "PORT"},
    {ToolText::DiscoverHeadingResult, "결과", "RESULT"},
    {ToolText::DiscoverHeadingLine, "통신 설정", "LINE"},
    {ToolText::DiscoverHeadingModel, "모델", "MODEL"},
    {ToolText::DiscoverHeadingFirmware, "펌웨어", "FIRMWARE"},
    {ToolText::DiscoverHeadingAddress, "확장 주소", "EXTENDED ADDRESS"},
    {ToolText::DiscoverFound, "찾음", "found"},
    {ToolText::DiscoverNothing, "장치 없음", "no device"},
    {ToolText::DiscoverBusy, "사용 중", "busy"},
    {ToolText::DiscoverCannotOpen, "열 수 없음", "cannot open"},
    {ToolText::DiscoverUnidentified, "확인 안 됨", "unidentified"},
    {ToolText::DiscoverStopped, "중단됨", "stopped"},
    {ToolText::SetRxPullUpMissing,
     "set: rx-pullup: 이 장치(펌웨어 '{0}')는 AT+URPU?에 응답하지 않아 RX Pull Up 설정이 없습니다",
     "set: rx-pullup: this device (firmware '{0}') did not answer AT+URPU?, so it has no RX pull-up setting"},
    // log.
    {ToolText::OptionBelongsToLog, "{0}은(는) log 명령의 옵션입니다", "{0} belongs to the log command"},
    {ToolText::LogFileNeedsName, "--log에는 파일 이름이 필요합니다", "--log needs a file name"},
    {ToolText::LogTakesNoPort, "log에는 --port나 --sim을 쓸 수 없습니다", "log takes no --port or --sim"},
    {ToolText::LogNothingToTrace, "log는 장치와 통신하지 않으므로 추적할 것이 없습니다",
     "log does not talk to a device; there is nothing to trace"},
    {ToolText::CsvWithJson, "--csv와 --json은 함께 쓸 수 없습니다", "--csv and --json cannot be used together"},
    {ToolText::SinceNotATime, "--since {0}: 시각이 아닙니다(예: 2024-05-01, 2024-05-01T08:00(UTC), 8h, 7d)",
     "--since {0}: not a time (for example 2024-05-01, 2024-05-01T08:00 in UTC, 8h, 7d)"},
    {ToolText::LogUnavailable, "생산 스테이션과 그 기록은 Linux에서만 쓸 수 있습니다",
     "the production station and its record are available on Linux only"},
    {ToolText::NoLogFolder, "기록을 둘 폴더를 알 수 없습니다(HOME도 XDG_DATA_HOME도 없음). --log FILE을 주십시오",
     "there is no folder for the record (neither HOME nor XDG_DATA_HOME is set); give --log FILE"},
    {ToolText::CannotReadLog, "스테이션 기록 {0}을(를) 읽을 수 없습니다: {1}",
     "cannot read the station record {0}: {1}"},
    {ToolText::NotALog, "{0}은(는) 스테이션 기록이 아닙니다", "{0} is not a station record"},
    {ToolText::LogHoldsPassword,
     "{0}: 연결 문자열에 비밀번호가 있습니다. 비밀번호는 ~/.pgpass(또는 PGPASSFILE이 가리키는 파일)나 PGPASSWORD에 "
     "두십시오",
     "{0}: the connection string holds a password; keep the password in ~/.pgpass (or the file PGPASSFILE names) "
     "or in PGPASSWORD instead"},
    {ToolText::LogNoDatabase, "이 q470ctl은 PostgreSQL 없이 빌드되어 {0}을(를) 열 수 없습니다",
     "this q470ctl was built without PostgreSQL and cannot open {0}"},
    {ToolText::StationNameUnreadable,
     "스테이션 이름 \"{0}\"을(를) 쓸 수 없습니다: 비어 있지 않고, 64바이트 이하이며, 제어 문자가 없는 UTF-8 텍스트여야 "
     "합니다",
     "cannot use the station name \"{0}\": it must be text that is not blank, at most 64 bytes of UTF-8, without "
     "control characters"},
    {ToolText::LogHeadingStarted, "시작(UTC)", "STARTED (UTC)"},
    {ToolText::LogHeadingStation, "스테이션", "STATION"},
    {ToolText::LogHeadingStep, "실패 단계", "FAILED STEP"},
    {ToolText::LogHeadingDuration, "ms", "MS"},
    // station.
    {ToolText::OptionBelongsToStation, "{0}은(는) station 명령의 옵션입니다", "{0} belongs to the station command"},
    {ToolText::StationNameEmpty, "--station-name에는 이름이 필요합니다", "--station-name needs a name"},
    {ToolText::StationTakesNoSim, "station에는 --sim을 쓸 수 없습니다. 고정 장치의 포트를 -p로 주십시오",
     "station takes no --sim; give the fixtures' ports with -p"},
    {ToolText::StationNothingToTrace, "station에는 --trace와 --trace-file을 쓸 수 없습니다",
     "station takes no --trace or --trace-file"},
    {ToolText::StationCannotWriteLog,
     "스테이션 기록 {0}에 쓸 수 없습니다: {1}. 기록 없이 장치를 설정하지 않으므로 스테이션을 시작하지 않습니다",
     "cannot write the station record {0}: {1}; no unit is provisioned without a record, so the station does not "
     "start"},
    {ToolText::StationCannotWatch, "포트를 감시할 수 없습니다: {0}", "cannot watch the ports: {0}"},
    {ToolText::StationStarted, "스테이션 {0}: 프로필 {1}({2}), 기록 {3}, 포트: {4}",
     "station {0}: profile {1} ({2}), record {3}, ports: {4}"},
    {ToolText::StationEveryUsbPort, "새로 연결되는 모든 USB 시리얼 포트", "every USB serial port plugged in"},
    {ToolText::StationWatchPolling, "시스템의 포트 알림을 쓸 수 없어 포트를 주기적으로 확인합니다",
     "the system's notice of ports cannot be used; the ports are looked at at intervals"},
    {ToolText::StationStopping, "진행 중인 장치가 현재 단계를 마치고 기록되면 끝납니다(다시 누르면 바로 끝냄)",
     "stopping once the units under way have finished their step and been recorded (again to stop at once)"},
    {ToolText::StationSummary, "통과 {0}, 실패 {1}, 건너뜀 {2}, 중단 {3} (시간당 {4}대)",
     "{0} passed, {1} failed, {2} skipped, {3} interrupted ({4} units per hour)"},
    {ToolText::LogHeadingNote, "비고", "NOTE"},
};

constexpr std::size_t kToolTextCount = sizeof(kToolTexts) / sizeof(kToolTexts[0]);

// Entry i holds id i, so that a lookup is an index and no id is left without its texts.
constexpr bool EntriesAreInOrder() {
    for (std::size_t i = 0; i < kToolTextCount; ++i) {
        if (static_cast<std::size_t>(kToolTexts[i].id) != i) return false;
    }
    return true;
}
static_assert(EntriesAreInOrder(), "one entry per text, in the order of the enumeration");
static_assert(kToolTextCount == static_cast<std::size_t>(ToolText::Count), "every text has an entry");

}  // namespace

const char* ToolTextUtf8(ToolText id, UiLanguage language) {
    const auto index = static_cast<std::size_t>(id);
    if (index >= kToolTextCount) return "";
    const ToolTextEntry& entry = kToolTexts[index];
    return language == UiLanguage::Korean ? entry.korean : entry.english;
}

}  // namespace q470
