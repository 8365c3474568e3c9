<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko" sourcelanguage="en">
<context>
    <name>UiText</name>
    <message>
        <source>Q470 Configurator Info(&amp;A)...</source>
        <comment>101</comment>
        <translation>Q470 Manager 정보(&amp;A)...</translation>
    </message>
    <message>
        <source>Basic Config</source>
        <comment>107</comment>
        <translation>기본설정</translation>
    </message>
    <message>
        <source>Failed to create the tab window</source>
        <comment>109</comment>
        <translation>탭 윈도우 생성 실패</translation>
    </message>
    <message>
        <source>Configuring parameters for communication with device</source>
        <comment>112</comment>
        <translation>Q470 접속 설정</translation>
    </message>
    <message>
        <source>Failed to communicate with device. Please check serial port, baud rate and other parameters and try again.</source>
        <comment>113</comment>
        <translation>제품이 응답하지 않거나 응답이 잘못 되었습니다. 통신 속도 등을 확인하시고 다시 시도해 주세요.</translation>
    </message>
    <message>
        <source>COM port closed</source>
        <comment>114</comment>
        <translation>COM 포트 닫힘</translation>
    </message>
    <message>
        <source>Config GPIOs</source>
        <comment>116</comment>
        <translation>GPIO설정</translation>
    </message>
    <message>
        <source>Apply</source>
        <comment>117</comment>
        <translation>적 용</translation>
    </message>
    <message>
        <source>Invalid PAN ID value</source>
        <comment>118</comment>
        <translation>그룹 ID 설정값이 잘못되어 있습니다.</translation>
    </message>
    <message>
        <source>Invalid GPIO  report interval is set</source>
        <comment>119</comment>
        <translation>GPIO 알림 간격 설정이 잘못  설정되어 있습니다.</translation>
    </message>
    <message>
        <source>Failed to apply general setting values</source>
        <comment>120</comment>
        <translation>기본설정 적용을 실패하였습니다.</translation>
    </message>
    <message>
        <source>General settings are applied successfully.<byte value="xd"/>
Changes will be applied after restart the device</source>
        <comment>121</comment>
        <translation>기본설정 적용을 완료하였습니다.<byte value="xd"/>
변경된 설정값은 장치 재시작 후 적용됩니다.</translation>
    </message>
    <message>
        <source>GPIO settings are applied successfully.<byte value="xd"/>
Changes will be applied after restart the device.</source>
        <comment>122</comment>
        <translation>GPIO설정 적용을 완료하였습니다.<byte value="xd"/>
변경된 설정값은 장치 재시작 후 적용됩니다.</translation>
    </message>
    <message>
        <source>Failed to apply GPIO setting values</source>
        <comment>123</comment>
        <translation>GPIO설정 적용을 실패하였습니다.</translation>
    </message>
    <message>
        <source>Config File (*.json) | *.json |All Files(*.*) |*.*||</source>
        <comment>124</comment>
        <translation>설정 파일(*.json) | *.json |모든파일(*.*) |*.*||</translation>
    </message>
    <message>
        <source>Failed to load configuation file. Please check configuration file is valid and then try again.</source>
        <comment>125</comment>
        <translation>설정 파일을 읽어 들이는데 실패하였습니다. 설정 파일 형식을 확인하시고 다시 시도해 주세요</translation>
    </message>
    <message>
        <source>Cannot save configuration file. Please check the filename and path are vaild and then try again.</source>
        <comment>126</comment>
        <translation>설정 파일을 저장할 수 없습니다. 파일 이름과 저장 위치가 올바른지 확인한 후 다시 시도해 주세요.</translation>
    </message>
    <message>
        <source>Configuration file is saved.</source>
        <comment>127</comment>
        <translation>설정 파일을 저장하였습니다.</translation>
    </message>
    <message>
        <source>Configuration applied successfully</source>
        <comment>128</comment>
        <translation>설정 파일 적용을 성공하였습니다.</translation>
    </message>
    <message>
        <source>Failed to apply configuration.</source>
        <comment>129</comment>
        <translation>설정 파일 적용을 실패하였습니다.</translation>
    </message>
    <message>
        <source>Failed to open the COM port.</source>
        <comment>130</comment>
        <translation>COM 포트를 열지 못하였습니다.</translation>
    </message>
    <message>
        <source>A problem occurred on the COM port. </source>
        <comment>131</comment>
        <translation>COM 포트에 문제가 발생하였습니다. </translation>
    </message>
    <message>
        <source>Enable or disable internal pull up register of Q470R. This feature available from firmware version 1.5.0.</source>
        <comment>132</comment>
        <translation>Q470R의 RXD에 내부 pull up을 활성/비활성화 합니다. 이 기능은 펌웨어 버전 1.5.0 이후부터 지원됩니다.</translation>
    </message>
    <message>
        <source>Q470 Manager</source>
        <comment>MainWindowTitle</comment>
        <translation>Q470 Manager</translation>
    </message>
    <message>
        <source>Application Config</source>
        <comment>MenuPopup</comment>
        <translation>메뉴</translation>
    </message>
    <message>
        <source>Serial Port Config</source>
        <comment>MenuComConfig</comment>
        <translation>COM 포트 설정</translation>
    </message>
    <message>
        <source>Load Config File</source>
        <comment>MenuLoadConfig</comment>
        <translation>설정 파일 읽기</translation>
    </message>
    <message>
        <source>Save Config File</source>
        <comment>MenuSaveConfig</comment>
        <translation>설정 파일 저장</translation>
    </message>
    <message>
        <source>Exit</source>
        <comment>MenuExit</comment>
        <translation>종료</translation>
    </message>
    <message>
        <source>Device Information</source>
        <comment>DeviceInfoGroup</comment>
        <translation>장치 정보</translation>
    </message>
    <message>
        <source>Device Extended Address</source>
        <comment>ExtendedAddressLabel</comment>
        <translation>장치 확장 주소</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <comment>FirmwareVersionLabel</comment>
        <translation>펌웨어 버전</translation>
    </message>
    <message>
        <source>Status Information</source>
        <comment>StatusInfoLabel</comment>
        <translation>상태 정보</translation>
    </message>
    <message>
        <source>Restart Device</source>
        <comment>RestartButton</comment>
        <translation>장치 재시작</translation>
    </message>
    <message>
        <source>Factory Reset</source>
        <comment>FactoryResetButton</comment>
        <translation>공장 초기화</translation>
    </message>
    <message>
        <source>Q470 Manager Information</source>
        <comment>AboutTitle</comment>
        <translation>Q470 Manager 정보</translation>
    </message>
    <message>
        <source>Q470 Manager</source>
        <comment>AboutProductName</comment>
        <translation>Q470 Manager</translation>
    </message>
    <message>
        <source>Version %d.%d.%d</source>
        <comment>VersionFormat</comment>
        <translation>Version %d.%d.%d</translation>
    </message>
    <message>
        <source>Do you want to end the program?</source>
        <comment>CloseConfirm</comment>
        <translation>프로그램을 종료하시겠습니까?</translation>
    </message>
    <message>
        <source>End Program</source>
        <comment>CloseCaption</comment>
        <translation>프로그램 종료</translation>
    </message>
    <message>
        <source>The PAN ID has changed. For correct operation the association information is deleted and the device is restarted.</source>
        <comment>PanIdChanged</comment>
        <translation>PAN ID가 변경되었습니다. 정상적인 동작을 위해 association 정보를 삭제하고 장치를 다시 시작합니다.</translation>
    </message>
    <message>
        <source>A problem occurred while analysing the configuration file.(%d) Please check the configuration file and try again.</source>
        <comment>ConfigParseError</comment>
        <translation>설정 파일 분석에 문제가 발생했습니다.(%d) 설정 파일을 확인하시고 다시 시도해 주세요.</translation>
    </message>
    <message>
        <source>Configuration File Error</source>
        <comment>ConfigFileErrorCaption</comment>
        <translation>설정 파일 오류</translation>
    </message>
    <message>
        <source>The configuration file holds no valid setting values. Please check the configuration file.</source>
        <comment>ConfigNoValidValues</comment>
        <translation>설정 파일에 올바른 설정값이 없습니다. 설정 파일을 확인하시기 바랍니다.</translation>
    </message>
    <message>
        <source>The configuration file is not for the product being configured. Please check the configuration file.</source>
        <comment>ConfigWrongProduct</comment>
        <translation>설정 파일이 현재 설정 중인 제품용이 아닙니다. 설정 파일을 확인하시기 바랍니다.</translation>
    </message>
    <message>
        <source>Settings Read Error</source>
        <comment>SettingsReadErrorCaption</comment>
        <translation>설정 읽기 오류</translation>
    </message>
    <message>
        <source><byte value="xd"/>
AT commands executed: %u<byte value="xd"/>
</source>
        <comment>ExecutedCommandsLine</comment>
        <translation><byte value="xd"/>
실행된 AT 명령어: %u<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>, %s</source>
        <comment>LinkSuffix</comment>
        <translation>, %s</translation>
    </message>
    <message>
        <source>, %s, setting mode</source>
        <comment>LinkSuffixSettingMode</comment>
        <translation>, %s, 설정 모드</translation>
    </message>
    <message>
        <source>ACTIVE</source>
        <comment>LinkActive</comment>
        <translation>ACTIVE</translation>
    </message>
    <message>
        <source>INACTIVE</source>
        <comment>LinkInactive</comment>
        <translation>INACTIVE</translation>
    </message>
    <message>
        <source>%s, %u, %s, %s, %s</source>
        <comment>LineSummaryFormat</comment>
        <translation>%s, %u, %s, %s, %s</translation>
    </message>
    <message>
        <source>No parity</source>
        <comment>LineNoParity</comment>
        <translation>No parity</translation>
    </message>
    <message>
        <source>Odd parity</source>
        <comment>LineOddParity</comment>
        <translation>Odd parity</translation>
    </message>
    <message>
        <source>Even parity</source>
        <comment>LineEvenParity</comment>
        <translation>Even parity</translation>
    </message>
    <message>
        <source>1 stopbit</source>
        <comment>LineOneStopBit</comment>
        <translation>1 stopbit</translation>
    </message>
    <message>
        <source>1.5 stopbit</source>
        <comment>LineOneHalfStopBits</comment>
        <translation>1.5 stopbit</translation>
    </message>
    <message>
        <source>2 stopbit</source>
        <comment>LineTwoStopBits</comment>
        <translation>2 stopbit</translation>
    </message>
    <message>
        <source>7bit</source>
        <comment>LineSevenDataBits</comment>
        <translation>7bit</translation>
    </message>
    <message>
        <source>8bit</source>
        <comment>LineEightDataBits</comment>
        <translation>8bit</translation>
    </message>
    <message>
        <source>OK</source>
        <comment>OkButton</comment>
        <translation>확인</translation>
    </message>
    <message>
        <source>Cancel</source>
        <comment>CancelButton</comment>
        <translation>취소</translation>
    </message>
    <message>
        <source>COM Port</source>
        <comment>ComPortLabel</comment>
        <translation>COM 포트</translation>
    </message>
    <message>
        <source>Speed</source>
        <comment>SpeedLabel</comment>
        <translation>속도</translation>
    </message>
    <message>
        <source>Parity</source>
        <comment>ParityLabel</comment>
        <translation>패리티</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <comment>StopBitsLabel</comment>
        <translation>스탑비트</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <comment>DataBitsLabel</comment>
        <translation>데이터비트</translation>
    </message>
    <message>
        <source>Device Role</source>
        <comment>RoleGroup</comment>
        <translation>장치  역할</translation>
    </message>
    <message>
        <source>Master</source>
        <comment>RoleMaster</comment>
        <translation>마스터</translation>
    </message>
    <message>
        <source>Slave</source>
        <comment>RoleSlave</comment>
        <translation>슬레이브</translation>
    </message>
    <message>
        <source>PAN ID (User)</source>
        <comment>PanIdLabel</comment>
        <translation>PAN ID (User)</translation>
    </message>
    <message>
        <source>Channel</source>
        <comment>ChannelLabel</comment>
        <translation>채널</translation>
    </message>
    <message>
        <source>Transmission Method</source>
        <comment>TransmissionGroup</comment>
        <translation>전송  방식</translation>
    </message>
    <message>
        <source>AT Command Mode</source>
        <comment>AtCommandMode</comment>
        <translation>AT 명령어 방식</translation>
    </message>
    <message>
        <source>Bypass Mode</source>
        <comment>BypassMode</comment>
        <translation>Bypass 방식</translation>
    </message>
    <message>
        <source>Communication Layout</source>
        <comment>LayoutGroup</comment>
        <translation>통신  구성</translation>
    </message>
    <message>
        <source>1:1</source>
        <comment>LayoutOneToOne</comment>
        <translation>1:1</translation>
    </message>
    <message>
        <source>1:N</source>
        <comment>LayoutOneToMany</comment>
        <translation>1:N</translation>
    </message>
    <message>
        <source>Command Response</source>
        <comment>CommandResponseLabel</comment>
        <translation>명령 응답</translation>
    </message>
    <message>
        <source>ON</source>
        <comment>CommandResponseOn</comment>
        <translation>ON</translation>
    </message>
    <message>
        <source>OFF</source>
        <comment>CommandResponseOff</comment>
        <translation>OFF</translation>
    </message>
    <message>
        <source>UART Settings</source>
        <comment>UartSettingsLabel</comment>
        <translation>UART 설정</translation>
    </message>
    <message>
        <source>Speed (bps)</source>
        <comment>SpeedBpsLabel</comment>
        <translation>속도 (bps)</translation>
    </message>
    <message>
        <source>RX Pull Up</source>
        <comment>RxPullUpLabel</comment>
        <translation>RX Pull Up</translation>
    </message>
    <message>
        <source>Outdoor Fixed Installation</source>
        <comment>OutdoorFixed</comment>
        <translation>실외 고정형</translation>
    </message>
    <message>
        <source>GPIOs</source>
        <comment>GpiosGroup</comment>
        <translation>GPIOs</translation>
    </message>
    <message>
        <source>Period Setting</source>
        <comment>PeriodGroup</comment>
        <translation>주기 설정</translation>
    </message>
    <message>
        <source>Period (ms)</source>
        <comment>PeriodLabel</comment>
        <translation>주기 (ms)</translation>
    </message>
    <message>
        <source>Send to Peer Device</source>
        <comment>SendToPeer</comment>
        <translation>상대 장치로 전송</translation>
    </message>
    <message>
        <source>Help</source>
        <comment>HelpMenu</comment>
        <translation>도움말</translation>
    </message>
    <message>
        <source>setting mode</source>
        <comment>SettingMode</comment>
        <translation>설정 모드</translation>
    </message>
    <message>
        <source>Brevint configuration program for Q470R and KELDAN wireless modems
Copyright © Brevint. All rights reserved.</source>
        <comment>AboutNotice</comment>
        <translation>Brevint Q470R · KELDAN 무선 모뎀 설정 프로그램
Copyright © Brevint. All rights reserved.</translation>
    </message>
    <message>
        <source>You have no permission to open this port. Add your user to the dialout group (sudo usermod -aG dialout USERNAME), then log out and log in again.</source>
        <comment>PortPermissionHint</comment>
        <translation>이 포트를 열 권한이 없습니다. 사용자를 dialout 그룹에 추가한 뒤(sudo usermod -aG dialout 사용자이름) 로그아웃했다가 다시 로그인해 주세요.</translation>
    </message>
    <message>
        <source>Another program is using this port. Close that program and try again.</source>
        <comment>PortBusyHint</comment>
        <translation>다른 프로그램이 이 포트를 사용하고 있습니다. 그 프로그램을 닫고 다시 시도해 주세요.</translation>
    </message>
    <message>
        <source>Yes</source>
        <comment>YesButton</comment>
        <translation>예</translation>
    </message>
    <message>
        <source>No</source>
        <comment>NoButton</comment>
        <translation>아니요</translation>
    </message>
    <message>
        <source>Open</source>
        <comment>OpenButton</comment>
        <translation>열기</translation>
    </message>
    <message>
        <source>Save</source>
        <comment>SaveButton</comment>
        <translation>저장</translation>
    </message>
    <message>
        <source>Look in:</source>
        <comment>LookInLabel</comment>
        <translation>찾는 위치:</translation>
    </message>
    <message>
        <source>File name:</source>
        <comment>FileNameLabel</comment>
        <translation>파일 이름:</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <comment>FileTypeLabel</comment>
        <translation>파일 형식:</translation>
    </message>
    <message>
        <source>The file does not exist.</source>
        <comment>FileMissing</comment>
        <translation>파일이 없습니다.</translation>
    </message>
    <message>
        <source>It is not a regular file (a folder or a device).</source>
        <comment>FileNotRegular</comment>
        <translation>일반 파일이 아닙니다(폴더 또는 장치).</translation>
    </message>
    <message>
        <source>You have no permission to read this file.</source>
        <comment>FileNoPermission</comment>
        <translation>이 파일을 읽을 권한이 없습니다.</translation>
    </message>
    <message>
        <source>The file cannot be opened: %s</source>
        <comment>FileOpenFailed</comment>
        <translation>파일을 열 수 없습니다: %s</translation>
    </message>
    <message>
        <source>Reading the file failed: %s</source>
        <comment>FileReadFailed</comment>
        <translation>파일을 읽는 중 오류가 발생했습니다: %s</translation>
    </message>
    <message>
        <source>Not valid JSON at line %u, column %u: %s</source>
        <comment>FileNotJson</comment>
        <translation>JSON 형식이 아닙니다(%u번째 줄, %u번째 글자): %s</translation>
    </message>
    <message>
        <source>the file is empty.</source>
        <comment>JsonDocumentEmpty</comment>
        <translation>파일이 비어 있습니다.</translation>
    </message>
    <message>
        <source>something follows the value.</source>
        <comment>JsonRootNotSingular</comment>
        <translation>값 뒤에 다른 내용이 있습니다.</translation>
    </message>
    <message>
        <source>a value is missing or not valid (comments and trailing commas are not allowed).</source>
        <comment>JsonValueInvalid</comment>
        <translation>값이 없거나 올바르지 않습니다(주석과 마지막 쉼표는 쓸 수 없습니다).</translation>
    </message>
    <message>
        <source>a member name in double quotes is expected (trailing commas and comments are not allowed).</source>
        <comment>JsonObjectMissName</comment>
        <translation>큰따옴표로 묶은 항목 이름이 와야 합니다(마지막 쉼표나 주석은 쓸 수 없습니다).</translation>
    </message>
    <message>
        <source>a colon is missing after a member name.</source>
        <comment>JsonObjectMissColon</comment>
        <translation>항목 이름 뒤에 콜론(:)이 없습니다.</translation>
    </message>
    <message>
        <source>a comma or } is missing.</source>
        <comment>JsonObjectMissCommaOrBrace</comment>
        <translation>쉼표 또는 }가 없습니다.</translation>
    </message>
    <message>
        <source>a comma or ] is missing.</source>
        <comment>JsonArrayMissCommaOrBracket</comment>
        <translation>쉼표 또는 ]가 없습니다.</translation>
    </message>
    <message>
        <source>an invalid \u escape.</source>
        <comment>JsonUnicodeEscapeInvalid</comment>
        <translation>\u 이스케이프가 잘못되었습니다.</translation>
    </message>
    <message>
        <source>an invalid surrogate pair in \u escapes.</source>
        <comment>JsonSurrogateInvalid</comment>
        <translation>\u 이스케이프의 대리쌍이 잘못되었습니다.</translation>
    </message>
    <message>
        <source>an invalid escape in a string.</source>
        <comment>JsonEscapeInvalid</comment>
        <translation>문자열의 이스케이프가 잘못되었습니다.</translation>
    </message>
    <message>
        <source>a string is not closed.</source>
        <comment>JsonStringUnclosed</comment>
        <translation>문자열을 닫는 큰따옴표가 없습니다.</translation>
    </message>
    <message>
        <source>a string is not validly encoded.</source>
        <comment>JsonStringInvalidEncoding</comment>
        <translation>문자열의 인코딩이 잘못되었습니다.</translation>
    </message>
    <message>
        <source>a number is too big.</source>
        <comment>JsonNumberTooBig</comment>
        <translation>숫자가 너무 큽니다.</translation>
    </message>
    <message>
        <source>digits are missing after the decimal point.</source>
        <comment>JsonNumberMissFraction</comment>
        <translation>소수점 뒤에 숫자가 없습니다.</translation>
    </message>
    <message>
        <source>digits are missing in the exponent.</source>
        <comment>JsonNumberMissExponent</comment>
        <translation>지수에 숫자가 없습니다.</translation>
    </message>
    <message>
        <source>a syntax error.</source>
        <comment>JsonSyntaxError</comment>
        <translation>구문 오류입니다.</translation>
    </message>
    <message>
        <source>The top level of the file is not an object ({…}).</source>
        <comment>RootNotObject</comment>
        <translation>파일의 최상위 값이 객체({…})가 아닙니다.</translation>
    </message>
    <message>
        <source>&quot;Model Name&quot; must be &quot;Q470R&quot; or &quot;KELDAN-KS410&quot;, not %s.</source>
        <comment>ModelNameUnknown</comment>
        <translation>&quot;Model Name&quot;은 &quot;Q470R&quot; 또는 &quot;KELDAN-KS410&quot;이어야 합니다: %s</translation>
    </message>
    <message>
        <source>&quot;Model Name&quot; is not a string: %s.</source>
        <comment>ModelNameNotString</comment>
        <translation>&quot;Model Name&quot;이 문자열이 아닙니다: %s</translation>
    </message>
    <message>
        <source>The file is for the %s; the connected device is a %s.</source>
        <comment>FileForOtherModel</comment>
        <translation>이 파일은 %s용이고, 연결된 장치는 %s입니다.</translation>
    </message>
    <message>
        <source>%s: %s is not allowed (allowed: %s).</source>
        <comment>ProblemNotAllowed</comment>
        <translation>%s: %s은(는) 쓸 수 없는 값입니다(허용: %s).</translation>
    </message>
    <message>
        <source>%s: unknown member, not read.</source>
        <comment>ProblemUnknownMember</comment>
        <translation>%s: 알 수 없는 항목이라 읽지 않았습니다.</translation>
    </message>
    <message>
        <source> (did you mean &quot;%s&quot;?)</source>
        <comment>ProblemDidYouMean</comment>
        <translation> (&quot;%s&quot;을(를) 뜻했나요?)</translation>
    </message>
    <message>
        <source>%s: %s is not %s, not read.</source>
        <comment>ProblemWrongType</comment>
        <translation>%s: %s은(는) %s이(가) 아니라서 읽지 않았습니다.</translation>
    </message>
    <message>
        <source>%s: %s missing, the setting is not read.</source>
        <comment>ProblemIncomplete</comment>
        <translation>%s: %s 항목이 없어 이 설정을 읽지 않았습니다.</translation>
    </message>
    <message>
        <source>%s: a member of this name comes earlier; this one is ignored.</source>
        <comment>ProblemDuplicate</comment>
        <translation>%s: 같은 이름의 항목이 앞에 있어 무시했습니다.</translation>
    </message>
    <message>
        <source>%s: the %s has no such setting, not sent.</source>
        <comment>ProblemNotForModel</comment>
        <translation>%s: %s에는 없는 설정이라 보내지 않습니다.</translation>
    </message>
    <message>
        <source>none</source>
        <comment>AllowedNone</comment>
        <translation>없음</translation>
    </message>
    <message>
        <source>%lld to %lld</source>
        <comment>AllowedRange</comment>
        <translation>%lld~%lld</translation>
    </message>
    <message>
        <source>the channels of PHY ID %u</source>
        <comment>NoteChannelPlan</comment>
        <translation>PHY ID %u의 채널</translation>
    </message>
    <message>
        <source>PHY ID %u has no channel plan, only the device&apos;s current channel may stay</source>
        <comment>NoteNoChannelPlan</comment>
        <translation>PHY ID %u에는 채널 계획이 없어 장치의 현재 채널만 유지할 수 있음</translation>
    </message>
    <message>
        <source>the modes of pin %u</source>
        <comment>NoteModesOfPin</comment>
        <translation>%u번 핀의 모드</translation>
    </message>
    <message>
        <source>the values on pin %u in mode %u</source>
        <comment>NoteValuesOfMode</comment>
        <translation>%u번 핀 모드 %u의 값</translation>
    </message>
    <message>
        <source>an integer</source>
        <comment>TypeInteger</comment>
        <translation>정수</translation>
    </message>
    <message>
        <source>true or false</source>
        <comment>TypeBoolean</comment>
        <translation>true 또는 false</translation>
    </message>
    <message>
        <source>an object ({…})</source>
        <comment>TypeObject</comment>
        <translation>객체({…})</translation>
    </message>
    <message>
        <source>an array ([…])</source>
        <comment>TypeArray</comment>
        <translation>배열([…])</translation>
    </message>
    <message>
        <source>operation mode</source>
        <comment>SettingOpMode</comment>
        <translation>운영 모드</translation>
    </message>
    <message>
        <source>network role</source>
        <comment>SettingNetRole</comment>
        <translation>장치 역할</translation>
    </message>
    <message>
        <source>PAN ID</source>
        <comment>SettingPanId</comment>
        <translation>PAN ID</translation>
    </message>
    <message>
        <source>user PAN ID</source>
        <comment>SettingUserPanId</comment>
        <translation>User PAN ID</translation>
    </message>
    <message>
        <source>PHY ID</source>
        <comment>SettingPhyId</comment>
        <translation>PHY ID</translation>
    </message>
    <message>
        <source>RF channel</source>
        <comment>SettingRfChannel</comment>
        <translation>채널</translation>
    </message>
    <message>
        <source>command response (quiet mode)</source>
        <comment>SettingQuietMode</comment>
        <translation>명령 응답</translation>
    </message>
    <message>
        <source>UART speed (bps)</source>
        <comment>SettingBaudRate</comment>
        <translation>UART 속도 (bps)</translation>
    </message>
    <message>
        <source>UART parity</source>
        <comment>SettingParity</comment>
        <translation>UART 패리티</translation>
    </message>
    <message>
        <source>UART stop bits</source>
        <comment>SettingStopBits</comment>
        <translation>UART 스탑비트</translation>
    </message>
    <message>
        <source>UART data bits</source>
        <comment>SettingDataBits</comment>
        <translation>UART 데이터비트</translation>
    </message>
    <message>
        <source>RX pull-up</source>
        <comment>SettingRxPullUp</comment>
        <translation>RX Pull Up</translation>
    </message>
    <message>
        <source>GPIO pin</source>
        <comment>SettingGpioPin</comment>
        <translation>GPIO 핀</translation>
    </message>
    <message>
        <source>GPIO %u mode</source>
        <comment>SettingGpioMode</comment>
        <translation>GPIO %u 모드</translation>
    </message>
    <message>
        <source>GPIO %u value</source>
        <comment>SettingGpioValue</comment>
        <translation>GPIO %u 값</translation>
    </message>
    <message>
        <source>GPIO report interval (ms)</source>
        <comment>SettingReportInterval</comment>
        <translation>GPIO 알림 주기 (ms)</translation>
    </message>
    <message>
        <source>send to peer device</source>
        <comment>SettingSendRemote</comment>
        <translation>상대 장치로 전송</translation>
    </message>
    <message>
        <source>Not applied:</source>
        <comment>NotAppliedHeader</comment>
        <translation>적용하지 않은 항목:</translation>
    </message>
    <message>
        <source>warning: </source>
        <comment>WarningPrefix</comment>
        <translation>경고: </translation>
    </message>
    <message>
        <source>Acknowledged by the device: %s</source>
        <comment>TrailAcknowledged</comment>
        <translation>장치가 받아들인 명령: %s</translation>
    </message>
    <message>
        <source>Failed step: %s</source>
        <comment>TrailFailedStep</comment>
        <translation>실패한 단계: %s</translation>
    </message>
    <message>
        <source>Interrupted at: %s</source>
        <comment>TrailInterruptedStep</comment>
        <translation>중단된 단계: %s</translation>
    </message>
    <message>
        <source>(none)</source>
        <comment>TrailNothing</comment>
        <translation>(없음)</translation>
    </message>
    <message>
        <source>Not applied: the settings hold values the device may not be given.</source>
        <comment>SettingsRefused</comment>
        <translation>장치에 쓸 수 없는 설정값이 있어 적용하지 않았습니다.</translation>
    </message>
    <message>
        <source>Show Traffic</source>
        <comment>MenuTraffic</comment>
        <translation>통신 내역 보기</translation>
    </message>
    <message>
        <source>Traffic on the line</source>
        <comment>TrafficTitle</comment>
        <translation>통신 내역</translation>
    </message>
    <message>
        <source>Clear</source>
        <comment>TrafficClear</comment>
        <translation>지우기</translation>
    </message>
    <message>
        <source>Copy</source>
        <comment>TrafficCopy</comment>
        <translation>복사</translation>
    </message>
    <message>
        <source>Save</source>
        <comment>TrafficSave</comment>
        <translation>저장</translation>
    </message>
    <message>
        <source>Close</source>
        <comment>TrafficClose</comment>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Text File (*.txt) | *.txt |All Files(*.*) |*.*||</source>
        <comment>TrafficFileFilter</comment>
        <translation>텍스트 파일(*.txt) | *.txt |모든파일(*.*) |*.*||</translation>
    </message>
    <message>
        <source>Cannot save the traffic. Please check the filename and path.</source>
        <comment>TrafficSaveFailed</comment>
        <translation>통신 내역을 저장할 수 없습니다. 파일 이름과 저장 위치를 확인해 주세요.</translation>
    </message>
    <message>
        <source>&amp;Find Device</source>
        <comment>FindDeviceButton</comment>
        <translation>장치 찾기(&amp;F)</translation>
    </message>
    <message>
        <source>Cancel Search</source>
        <comment>FindCancelButton</comment>
        <translation>찾기 취소</translation>
    </message>
    <message>
        <source>Searching %s at %s...</source>
        <comment>FindSearching</comment>
        <translation>%s 포트를 %s(으)로 찾는 중...</translation>
    </message>
    <message>
        <source>Found a %s on %s at %s.</source>
        <comment>FindFound</comment>
        <translation>%s 장치를 찾았습니다: %s, %s</translation>
    </message>
    <message>
        <source>No device answered on any port. Please check the cable and the power.</source>
        <comment>FindNothing</comment>
        <translation>응답하는 장치가 없습니다. 연결과 전원을 확인해 주세요.</translation>
    </message>
    <message>
        <source>The search was cancelled.</source>
        <comment>FindCancelled</comment>
        <translation>장치 찾기를 취소하였습니다.</translation>
    </message>
    <message>
        <source>%s: the device holds %s, which is not allowed (allowed: %s); a file holding it cannot be applied until it is changed.</source>
        <comment>HeldValueNotAllowed</comment>
        <translation>%s: 장치가 가진 값 %s은(는) 쓸 수 없는 값입니다(허용: %s). 이 값이 든 파일은 값을 고치기 전에는 적용할 수 없습니다.</translation>
    </message>
    <message>
        <source>The file is saved as read from the device, but it cannot be applied as it is.</source>
        <comment>SavedWithHeldValues</comment>
        <translation>설정 파일을 장치에서 읽은 그대로 저장하였지만, 이 파일은 그대로는 적용할 수 없습니다.</translation>
    </message>
    <message>
        <source>A file saved from a device that holds such a value can be applied once that value is changed in it.</source>
        <comment>RefusedFileNote</comment>
        <translation>이런 값을 가진 장치에서 저장한 파일은 그 값을 고친 뒤에 적용할 수 있습니다.</translation>
    </message>
    <message>
        <source>Not connected: the values below were read earlier and may no longer be current.</source>
        <comment>StaleValuesNotice</comment>
        <translation>장치와 연결되어 있지 않습니다. 아래 값은 전에 읽은 값으로, 지금 값이 아닐 수 있습니다.</translation>
    </message>
    <message>
        <source>Port: %s</source>
        <comment>LostPortLine</comment>
        <translation>포트: %s</translation>
    </message>
    <message>
        <source>Cause: %s</source>
        <comment>LostCauseLine</comment>
        <translation>원인: %s</translation>
    </message>
    <message>
        <source>Check the cable and the adapter, then choose the port again under Serial Port Config in the menu.</source>
        <comment>LostNextStep</comment>
        <translation>케이블과 어댑터를 확인한 뒤, 메뉴의 &apos;COM 포트 설정&apos;에서 포트를 골라 다시 연결해 주세요.</translation>
    </message>
    <message>
        <source>The port does not exist.</source>
        <comment>CauseNoSuchPort</comment>
        <translation>포트가 없습니다.</translation>
    </message>
    <message>
        <source>The port is busy.</source>
        <comment>CauseBusy</comment>
        <translation>포트가 사용 중입니다.</translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <comment>CausePermission</comment>
        <translation>권한이 없습니다.</translation>
    </message>
    <message>
        <source>Input/output error: the adapter reported an error.</source>
        <comment>CauseIoError</comment>
        <translation>입출력 오류입니다. 어댑터가 오류를 알렸습니다.</translation>
    </message>
    <message>
        <source>No such device: the adapter may have been unplugged.</source>
        <comment>CauseNoSuchDevice</comment>
        <translation>장치가 없습니다. 어댑터가 뽑혔을 수 있습니다.</translation>
    </message>
    <message>
        <source>The connection was closed: the adapter was unplugged or the device hung up.</source>
        <comment>CauseConnectionClosed</comment>
        <translation>연결이 끊어졌습니다. 어댑터가 뽑혔거나 장치가 연결을 끊었습니다.</translation>
    </message>
    <message>
        <source>The device took: %s</source>
        <comment>TrailTookSettings</comment>
        <translation>장치가 받아들인 설정: %s</translation>
    </message>
    <message>
        <source>writing the %s</source>
        <comment>StepWriting</comment>
        <translation>%s 쓰기</translation>
    </message>
    <message>
        <source>writing the UART settings</source>
        <comment>StepUart</comment>
        <translation>UART 설정 쓰기</translation>
    </message>
    <message>
        <source>writing GPIO pin %u</source>
        <comment>StepGpioPin</comment>
        <translation>GPIO %u번 핀 쓰기</translation>
    </message>
    <message>
        <source>writing the GPIO report</source>
        <comment>StepGpioReport</comment>
        <translation>GPIO 알림 주기 쓰기</translation>
    </message>
    <message>
        <source>turning quiet mode off for the writes</source>
        <comment>StepQuietOff</comment>
        <translation>쓰기 전에 명령 응답 켜기</translation>
    </message>
    <message>
        <source>restoring quiet mode</source>
        <comment>StepQuietRestore</comment>
        <translation>명령 응답 설정 되돌리기</translation>
    </message>
    <message>
        <source>writing a setting</source>
        <comment>StepUnknown</comment>
        <translation>설정 쓰기</translation>
    </message>
    <message>
        <source>UART settings</source>
        <comment>NounUart</comment>
        <translation>UART 설정</translation>
    </message>
    <message>
        <source>GPIO pin %u</source>
        <comment>NounGpioPin</comment>
        <translation>GPIO %u번 핀</translation>
    </message>
    <message>
        <source>GPIO pins %u to %u</source>
        <comment>NounGpioPins</comment>
        <translation>GPIO %u~%u번 핀</translation>
    </message>
    <message>
        <source>GPIO report</source>
        <comment>NounGpioReport</comment>
        <translation>GPIO 알림 주기</translation>
    </message>
    <message>
        <source>quiet mode off</source>
        <comment>NounQuietOff</comment>
        <translation>명령 응답 켜기</translation>
    </message>
    <message>
        <source>quiet mode restored</source>
        <comment>NounQuietRestored</comment>
        <translation>명령 응답 설정 되돌리기</translation>
    </message>
    <message>
        <source>Allowed: %s.</source>
        <comment>AllowedLine</comment>
        <translation>허용 범위: %s</translation>
    </message>
    <message>
        <source>%s to %s</source>
        <comment>AllowedSpan</comment>
        <translation>%s~%s</translation>
    </message>
    <message>
        <source>, or </source>
        <comment>AllowedOr</comment>
        <translation> 또는 </translation>
    </message>
    <message>
        <source>The %s has no GPIO settings: they exist on the Q470R only.</source>
        <comment>GpioUnavailable</comment>
        <translation>%s에는 GPIO 설정이 없습니다. GPIO 설정은 Q470R에만 있습니다.</translation>
    </message>
    <message>
        <source>Every setting of the %s (extended address %s) returns to its factory default. This cannot be undone.

Reset the device to its factory defaults?</source>
        <comment>FactoryResetConfirm</comment>
        <translation>%s(확장 주소 %s)의 모든 설정이 공장 출하 기본값으로 돌아갑니다. 되돌릴 수 없습니다.

공장 초기화를 하시겠습니까?</translation>
    </message>
    <message>
        <source>The %s (extended address %s) has been reset: every setting holds its default again, and the device is restarting.

It now uses its factory line settings. Choose the port and the line settings in the next window to connect again.</source>
        <comment>FactoryResetDone</comment>
        <translation>%s(확장 주소 %s)를 공장 초기화하였습니다. 모든 설정이 기본값으로 돌아갔고 장치가 다시 시작합니다.

장치는 이제 공장 출하 통신 설정을 씁니다. 다음 창에서 포트와 통신 설정을 골라 다시 연결해 주세요.</translation>
    </message>
    <message>
        <source>The %s (extended address %s) did not confirm the factory reset; its settings may be unchanged.

Choose the port in the next window to connect again and check its settings.</source>
        <comment>FactoryResetNotConfirmed</comment>
        <translation>%s(확장 주소 %s)가 공장 초기화 명령을 받아들이지 않았습니다. 설정이 그대로일 수 있습니다.

다음 창에서 포트를 골라 다시 연결한 뒤 설정을 확인해 주세요.</translation>
    </message>
    <message>
        <source>The %s (extended address %s) is restarting.

Once it is ready, choose the port in the next window to connect again.</source>
        <comment>RestartDone</comment>
        <translation>%s(확장 주소 %s)를 다시 시작하였습니다.

장치가 준비되면 다음 창에서 포트를 골라 다시 연결해 주세요.</translation>
    </message>
    <message>
        <source>The %s (extended address %s) did not confirm the restart; it may not have restarted.

Choose the port in the next window to connect again.</source>
        <comment>RestartNotConfirmed</comment>
        <translation>%s(확장 주소 %s)가 재시작 명령을 받아들이지 않았습니다. 다시 시작하지 않았을 수 있습니다.

다음 창에서 포트를 골라 다시 연결해 주세요.</translation>
    </message>
    <message>
        <source>Read Device</source>
        <comment>MenuReadDevice</comment>
        <translation>장치 다시 읽기</translation>
    </message>
    <message>
        <source>%u changed values have not been written to the device. Reading the device again discards them.

Read the device again?</source>
        <comment>ReadDiscardConfirm</comment>
        <translation>아직 장치에 쓰지 않은 변경이 %u개 있습니다. 장치를 다시 읽으면 이 변경은 사라집니다.

장치를 다시 읽으시겠습니까?</translation>
    </message>
    <message>
        <source>Apply (1 change)</source>
        <comment>ApplyOneChange</comment>
        <translation>적 용 (1개 변경)</translation>
    </message>
    <message>
        <source>Apply (%u changes)</source>
        <comment>ApplyChanges</comment>
        <translation>적 용 (%u개 변경)</translation>
    </message>
    <message>
        <source>On the device: %s (changed, not yet written)</source>
        <comment>DeviceValueTip</comment>
        <translation>장치의 값: %s (아직 쓰지 않은 변경)</translation>
    </message>
    <message>
        <source>(none)</source>
        <comment>DeviceValueNone</comment>
        <translation>(없음)</translation>
    </message>
    <message>
        <source>F&amp;ilter:</source>
        <comment>TrafficFilterLabel</comment>
        <translation>찾기(&amp;I):</translation>
    </message>
    <message>
        <source>Co&amp;mmand:</source>
        <comment>TrafficCommandLabel</comment>
        <translation>명령(&amp;M):</translation>
    </message>
    <message>
        <source>Type an AT command and press Enter to send it to the device. Up and Down: earlier commands. Nothing can be sent while a job runs.</source>
        <comment>TrafficCommandTip</comment>
        <translation>AT 명령을 입력하고 Enter를 누르면 장치로 보냅니다. 위/아래 화살표: 보냈던 명령. 작업 중에는 보낼 수 없습니다.</translation>
    </message>
    <message>
        <source>Send</source>
        <comment>TrafficSend</comment>
        <translation>보내기</translation>
    </message>
    <message>
        <source>Production Station…</source>
        <comment>MenuStation</comment>
        <translation>생산 스테이션…</translation>
    </message>
    <message>
        <source>Production Station</source>
        <comment>StationTitle</comment>
        <translation>생산 스테이션</translation>
    </message>
    <message>
        <source>Setup</source>
        <comment>StationSetup</comment>
        <translation>설정</translation>
    </message>
    <message>
        <source>&amp;Profile:</source>
        <comment>StationProfileLabel</comment>
        <translation>프로파일(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Browse…</source>
        <comment>StationBrowse</comment>
        <translation>찾아보기(&amp;B)…</translation>
    </message>
    <message>
        <source>&amp;Fixtures:</source>
        <comment>StationFixturesLabel</comment>
        <translation>지그(&amp;F):</translation>
    </message>
    <message>
        <source>&amp;Other paths:</source>
        <comment>StationTypedPathsLabel</comment>
        <translation>다른 경로(&amp;O):</translation>
    </message>
    <message>
        <source>Serial port paths separated by &apos;;&apos;. A path that does not exist yet is watched until it appears.</source>
        <comment>StationTypedPathsTip</comment>
        <translation>직렬 포트 경로를 ;로 구분하여 입력합니다. 아직 없는 경로는 나타날 때까지 지켜봅니다.</translation>
    </message>
    <message>
        <source>Every &amp;USB serial port that appears</source>
        <comment>StationEveryUsbPort</comment>
        <translation>나타나는 모든 USB 직렬 포트(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Verify: read back and compare after the restart</source>
        <comment>StationVerify</comment>
        <translation>재시작 후 다시 읽어 비교(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Retries:</source>
        <comment>StationRetriesLabel</comment>
        <translation>재시도(&amp;R):</translation>
    </message>
    <message>
        <source>&amp;Log file:</source>
        <comment>StationLogLabel</comment>
        <translation>기록 파일(&amp;L):</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <comment>StationStart</comment>
        <translation>시작(&amp;S)</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <comment>StationStop</comment>
        <translation>중지(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Export CSV…</source>
        <comment>StationExport</comment>
        <translation>CSV로 내보내기(&amp;E)…</translation>
    </message>
    <message>
        <source>Passed %d   Failed %d   Skipped %d   Units per hour %.0f   Elapsed %s</source>
        <comment>StationCounts</comment>
        <translation>통과 %d   실패 %d   건너뜀 %d   시간당 %.0f대   경과 %s</translation>
    </message>
    <message>
        <source>Time;Fixture;Extended address;Model;Firmware;Result;Failed step</source>
        <comment>StationRecordsHeader</comment>
        <translation>시간;지그;확장 주소;모델;펌웨어;결과;실패 단계</translation>
    </message>
    <message>
        <source>Waiting for the port</source>
        <comment>StationWaitingForPort</comment>
        <translation>포트 대기 중</translation>
    </message>
    <message>
        <source>Waiting for a unit</source>
        <comment>StationWaitingForUnit</comment>
        <translation>장치 대기 중</translation>
    </message>
    <message>
        <source>Working: %s</source>
        <comment>StationWorking</comment>
        <translation>작업 중: %s</translation>
    </message>
    <message>
        <source>Passed: %s</source>
        <comment>StationPassed</comment>
        <translation>통과: %s</translation>
    </message>
    <message>
        <source>Failed while %s</source>
        <comment>StationFailed</comment>
        <translation>실패: %s 단계에서</translation>
    </message>
    <message>
        <source>Failed: %d settings read back otherwise</source>
        <comment>StationFailedDiffers</comment>
        <translation>실패: 다시 읽은 설정 %d개가 쓴 값과 다름</translation>
    </message>
    <message>
        <source>Skipped: already done</source>
        <comment>StationSkipped</comment>
        <translation>건너뜀: 이미 완료됨</translation>
    </message>
    <message>
        <source>Interrupted while %s</source>
        <comment>StationInterrupted</comment>
        <translation>중단됨: %s 단계에서</translation>
    </message>
    <message>
        <source>Paused: the record cannot be written</source>
        <comment>StationPaused</comment>
        <translation>일시 중지: 기록을 쓸 수 없음</translation>
    </message>
    <message>
        <source>Done</source>
        <comment>StationDone</comment>
        <translation>완료</translation>
    </message>
    <message>
        <source>finding the line</source>
        <comment>StationStepFindLine</comment>
        <translation>통신 설정 찾기</translation>
    </message>
    <message>
        <source>identifying</source>
        <comment>StationStepIdentify</comment>
        <translation>식별</translation>
    </message>
    <message>
        <source>checking the model</source>
        <comment>StationStepCheckModel</comment>
        <translation>모델 확인</translation>
    </message>
    <message>
        <source>reading</source>
        <comment>StationStepRead</comment>
        <translation>읽기</translation>
    </message>
    <message>
        <source>writing the profile</source>
        <comment>StationStepApply</comment>
        <translation>프로파일 쓰기</translation>
    </message>
    <message>
        <source>restarting</source>
        <comment>StationStepRestart</comment>
        <translation>재시작</translation>
    </message>
    <message>
        <source>finding it again after the restart</source>
        <comment>StationStepFindAgain</comment>
        <translation>재시작 후 다시 찾기</translation>
    </message>
    <message>
        <source>reading back</source>
        <comment>StationStepReadBack</comment>
        <translation>다시 읽기</translation>
    </message>
    <message>
        <source>comparing</source>
        <comment>StationStepCompare</comment>
        <translation>비교</translation>
    </message>
    <message>
        <source>pass</source>
        <comment>StationResultPass</comment>
        <translation>통과</translation>
    </message>
    <message>
        <source>fail</source>
        <comment>StationResultFail</comment>
        <translation>실패</translation>
    </message>
    <message>
        <source>skipped</source>
        <comment>StationResultSkipped</comment>
        <translation>건너뜀</translation>
    </message>
    <message>
        <source>interrupted</source>
        <comment>StationResultInterrupted</comment>
        <translation>중단됨</translation>
    </message>
    <message>
        <source>Choose at least one fixture, type a path, or take every USB serial port that appears.</source>
        <comment>StationNoFixtures</comment>
        <translation>지그를 하나 이상 선택하거나, 경로를 입력하거나, 나타나는 모든 USB 직렬 포트를 선택하십시오.</translation>
    </message>
    <message>
        <source>Choose a profile (a configuration file).</source>
        <comment>StationNoProfile</comment>
        <translation>프로파일(설정 파일)을 선택하십시오.</translation>
    </message>
    <message>
        <source>The station cannot write its record %s: %s</source>
        <comment>StationCannotWriteLog</comment>
        <translation>스테이션 기록 %s에 쓸 수 없습니다: %s</translation>
    </message>
    <message>
        <source>The ports cannot be watched: %s</source>
        <comment>StationCannotWatch</comment>
        <translation>포트를 지켜볼 수 없습니다: %s</translation>
    </message>
    <message>
        <source>%d records exported to %s.</source>
        <comment>StationExported</comment>
        <translation>기록 %d개를 %s에 내보냈습니다.</translation>
    </message>
    <message>
        <source>Could not write %s: %s</source>
        <comment>StationExportFailed</comment>
        <translation>%s에 쓸 수 없습니다: %s</translation>
    </message>
    <message>
        <source>CSV files (*.csv)|*.csv|All files (*.*)|*.*||</source>
        <comment>StationCsvFilter</comment>
        <translation>CSV 파일 (*.csv)|*.csv|모든 파일 (*.*)|*.*||</translation>
    </message>
    <message>
        <source>Stopping: units at work finish their current step…</source>
        <comment>StationStopping</comment>
        <translation>중지하는 중: 작업 중인 장치는 현재 단계를 마칩니다…</translation>
    </message>
    <message>
        <source>Verify After Writing</source>
        <comment>MenuVerifyAfterWrite</comment>
        <translation>쓴 뒤 다시 읽어 확인</translation>
    </message>
    <message>
        <source>Reconnect Automatically</source>
        <comment>MenuFindDeviceAgain</comment>
        <translation>재시작 후 자동으로 다시 연결</translation>
    </message>
    <message>
        <source>Waiting for the device on %s…</source>
        <comment>WaitingForDevice</comment>
        <translation>%s에서 장치를 기다리는 중…</translation>
    </message>
    <message>
        <source>The device did not come back on %s</source>
        <comment>DeviceNotBack</comment>
        <translation>장치가 %s에 돌아오지 않았습니다</translation>
    </message>
    <message>
        <source>Written and verified: after its restart the device reads back all %u settings as written. It answers at %s.</source>
        <comment>VerifyVerified</comment>
        <translation>확인됨(verified): 장치가 다시 시작한 뒤 쓴 설정 %u개를 모두 쓴 대로 읽었습니다. 장치는 %s로 응답합니다.</translation>
    </message>
    <message>
        <source>After its restart the device reads back %u of the %u settings written differently:</source>
        <comment>VerifyDiffers</comment>
        <translation>장치가 다시 시작한 뒤 다르게 읽은 설정이 %u개입니다(쓴 설정 %u개 중):</translation>
    </message>
    <message>
        <source>%s: written %s, read back %s</source>
        <comment>VerifyDifferenceLine</comment>
        <translation>%s: 쓴 값 %s, 읽은 값 %s</translation>
    </message>
    <message>
        <source>The device did not answer after its restart.</source>
        <comment>VerifyNoAnswer</comment>
        <translation>장치가 다시 시작한 뒤 응답하지 않았습니다.</translation>
    </message>
    <message>
        <source>Another model answers on this port after the restart.</source>
        <comment>VerifyOtherDevice</comment>
        <translation>다시 시작한 뒤 이 포트에서 다른 모델이 응답합니다.</translation>
    </message>
    <message>
        <source>The device answered after its restart but could not be read.</source>
        <comment>VerifyReadFailed</comment>
        <translation>장치가 다시 시작한 뒤 응답했지만 읽을 수 없었습니다.</translation>
    </message>
    <message>
        <source>The port could not be opened again after the restart: %s</source>
        <comment>VerifyCannotOpen</comment>
        <translation>다시 시작한 뒤 포트를 다시 열 수 없습니다: %s</translation>
    </message>
    <message>
        <source>The device&apos;s port did not come back within %u ms of its restart.</source>
        <comment>VerifyNotBack</comment>
        <translation>장치의 포트가 다시 시작한 뒤 %u ms 안에 돌아오지 않았습니다.</translation>
    </message>
    <message>
        <source>The device was not seen to restart: what it holds now may not be what it uses after a restart.</source>
        <comment>VerifyNotRestarted</comment>
        <translation>장치가 다시 시작하는 것을 볼 수 없었습니다. 지금 가진 값은 다시 시작한 뒤 쓸 값이 아닐 수 있습니다.</translation>
    </message>
    <message>
        <source>Verifying was cancelled.</source>
        <comment>VerifyStopped</comment>
        <translation>확인을 취소했습니다.</translation>
    </message>
    <message>
        <source>The device&apos;s port came back after the restart as %s.</source>
        <comment>VerifyFoundAs</comment>
        <translation>장치의 포트가 다시 시작한 뒤 %s(으)로 돌아왔습니다.</translation>
    </message>
    <message>
        <source>Nothing was compared with what was written: the settings written may or may not be on the device.</source>
        <comment>VerifyNothingCompared</comment>
        <translation>쓴 값과 비교하지 못했습니다. 쓴 설정은 장치에 있을 수도 있고 없을 수도 있습니다.</translation>
    </message>
    <message>
        <source>The port cannot be opened: %s</source>
        <comment>StationPortUnavailable</comment>
        <translation>포트를 열 수 없습니다: %s</translation>
    </message>
</context>
</TS>
