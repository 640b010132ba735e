// The slice of Windows Sockets 1.1 that VEXAR calls: start-up and clean-up.
#pragma once

#include "windows.h"

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

#define SOCKET_ERROR (-1)

#define WSAEFAULT 10014
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
typedef WSADATA* LPWSADATA;

int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data);
int WINAPI WSACleanup();
int WINAPI WSAGetLastError();
