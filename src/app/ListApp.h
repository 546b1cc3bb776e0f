// The application classes: the single-instance application, Pelmar's application and the hidden frame.
#pragma once
#include <windows.h>

#include <string>

#include "app/ListDlg.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

class CSingleInstanceApp : public CWinApp {
public:
    ~CSingleInstanceApp() override;
    // TRUE when this is the first instance and its window class is registered; a second start hands
    // over to the first instance's hidden frame and gets FALSE.
    BOOL ClaimInstance(UINT iconId);
    std::string GetInstanceClassName() const { return m_instanceName; }

private:
    HANDLE m_mutex = nullptr;
    std::string m_instanceName;
};

class CListApp : public CSingleInstanceApp {
public:
    BOOL InitInstance() override;
};

// The never-shown owner of the main dialog; a second start finds it by its class name.
class CAppDlg : public CFrameWnd {
public:
    CAppDlg();
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void RunDialog();

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CListDlg m_dialog;
    std::string m_className;
};

// Builds the instance name: application name, instance handle, class style, and cursor when one exists.
std::string FormatInstanceName(const std::string& appName, HINSTANCE instance, HCURSOR cursor, HICON icon);
