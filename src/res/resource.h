// Resource ids shared by the resource script and the code. Plain defines: the resource compiler reads them.
// The firmware images' ids are their own, in src/res/firmware_images.txt.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_FWUPDATE_DIALOG 102
#define IDR_MAINFRAME 500

#define IDC_SEARCH_DEVICE 1000
#define IDC_TITLE 1007
#define IDC_DEVICE_NAME_LABEL 1012
#define IDC_DEVICE_NAME 1013
#define IDC_INTERFACE_LABEL 1014
#define IDC_INTERFACE 1015
#define IDC_STATUS_LABEL 1016
#define IDC_STATUS 1017
#define IDC_DEVICE_LIST 1025
#define IDC_UPDATE 1144
#define IDC_ABOUT_VERSION 1180
#define IDC_ABOUT_DETAIL 1181
