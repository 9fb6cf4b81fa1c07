#include "detector/win32/service_module_win32.h"

#include <objbase.h>

#include <cstdio>

#include "common/win32/handles.h"
#include "detector/registration.h"
#include "detector/supervisor.h"
#include "detector/win32/supervision_win32.h"

namespace zt::detector {

namespace {

// The control handler and the manager's callbacks carry no context: the one module of the
// process is found here.
CServiceModule* g_pModule = nullptr;

// Posted by the control handler to the service thread: the stop sequence runs there, so no
// tick can touch a block that the stop has released.
constexpr UINT UM_STOPSERVICE = WM_APP + 1;
constexpr UINT kTickMs = 100;
constexpr std::size_t kLogLineSize = 260;
constexpr DWORD kServiceDoneWaitMs = 10000;

}  // namespace

CServiceModule::CServiceModule(std::string serviceName) : m_strServiceName(std::move(serviceName)) {
  m_status = SERVICE_STATUS{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, SERVICE_ACCEPT_STOP, 0, 0, 0, 0};
  m_hServiceDone.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_pModule = this;
}

CServiceModule::~CServiceModule() { g_pModule = nullptr; }

int CServiceModule::Start() {
  app::UniqueKey appIds;
  app::UniqueKey key;
  LONG r = RegOpenKeyExA(HKEY_CLASSES_ROOT, "AppID", 0, KEY_READ, appIds.Receive());
  if (r == ERROR_SUCCESS) r = RegOpenKeyExA(appIds.Get(), kAppId, 0, KEY_READ, key.Receive());
  // Never registered: nothing to run as.
  if (r != ERROR_SUCCESS) return static_cast<int>(r);

  m_bService =
      RegQueryValueExA(key.Get(), kLocalService, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  if (m_bService) {
    SERVICE_TABLE_ENTRYA table[] = {{&m_strServiceName[0], &CServiceModule::ServiceMainEntry},
                                    {nullptr, nullptr}};
    // Fails when the manager did not start this process: then it runs as an ordinary one.
    if (!StartServiceCtrlDispatcherA(table)) {
      m_bService = false;
    } else if (m_hServiceDone) {
      // The dispatcher returns as soon as the stopped state is reported, while the service thread
      // still writes its last log line: the module must live until that line is out.
      WaitForSingleObject(m_hServiceDone.Get(), kServiceDoneWaitMs);
    }
  }
  if (!m_bService) Run();
  return static_cast<int>(m_status.dwWin32ExitCode);
}

void WINAPI CServiceModule::ServiceMainEntry(DWORD, LPSTR*) {
  if (g_pModule) g_pModule->ServiceMain();
}

void WINAPI CServiceModule::HandlerEntry(DWORD control) {
  if (g_pModule) g_pModule->Handler(control);
}

void CServiceModule::ServiceMain() {
  // The thread and its message queue are known before a stop control can arrive.
  m_dwThreadId = GetCurrentThreadId();
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  m_status.dwCurrentState = SERVICE_START_PENDING;
  m_hStatus = RegisterServiceCtrlHandlerA(m_strServiceName.c_str(), &CServiceModule::HandlerEntry);
  if (!m_hStatus) {
    Log("Handler not installed");
  } else {
    ReportStatus(SERVICE_START_PENDING);
    Run();
    ReportStatus(SERVICE_STOPPED);
    Log("Service stopped");
  }
  if (m_hServiceDone) SetEvent(m_hServiceDone.Get());
}

void CServiceModule::Handler(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      PostThreadMessageA(m_dwThreadId, UM_STOPSERVICE, 0, 0);
      break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
    case SERVICE_CONTROL_INTERROGATE:
    case SERVICE_CONTROL_SHUTDOWN:
      break;
    default:
      Log("Bad service request");
      break;
  }
}

void CServiceModule::Run() {
  m_dwThreadId = GetCurrentThreadId();
  // The thread's message queue exists before the manager can send the stop control.
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  // COM is set up for the thread as a COM application's service thread expects; the program
  // exposes no class objects, so there is no process security to set and nothing to register.
  const HRESULT hr = CoInitialize(nullptr);
  Log("Service started");
  if (m_bService) ReportStatus(SERVICE_RUNNING);
  RunSupervisionLoop();
  if (SUCCEEDED(hr)) CoUninitialize();
}

void CServiceModule::RunSupervisionLoop() {
  WinDriveMapOwner map;
  WinCheckerLauncher launcher;
  CSupervisor supervisor(map, launcher);
  supervisor.Begin();
  const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == timer) {
      supervisor.Tick();
    } else if (msg.hwnd == nullptr && msg.message == UM_STOPSERVICE) {
      supervisor.Stop();
      ReportStatus(SERVICE_STOP_PENDING);
      PostQuitMessage(0);
    }
    DispatchMessageA(&msg);
  }
  KillTimer(nullptr, timer);
}

void CServiceModule::ReportStatus(DWORD state) {
  m_status.dwCurrentState = state;
  if (m_hStatus) SetServiceStatus(m_hStatus, &m_status);
}

void CServiceModule::Log(const char* text) const {
  char line[kLogLineSize];
  std::snprintf(line, sizeof line, "%s", text);
  if (!m_bService) {
    std::printf("%s\n", line);
    std::fflush(stdout);
    return;
  }
  HANDLE source = RegisterEventSourceA(nullptr, m_strServiceName.c_str());
  if (!source) return;
  const char* strings[] = {line};
  ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace zt::detector
