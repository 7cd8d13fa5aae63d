// Resource ids of Dralvic.cpl, shared by dralvic.rc and the applet code.
#ifndef DRALVIC_RESOURCE_H
#define DRALVIC_RESOURCE_H

#define IDI_DRALVIC 101
#define IDS_DRALVIC_NAME 108
#define IDS_DRALVIC_INFO 109

#endif
