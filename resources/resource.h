/* Resource ids shared by the resource script and the program. */
#ifndef PORTGAUGE_RESOURCE_H
#define PORTGAUGE_RESOURCE_H

#define IDI_PORTGAUGE 102

#endif
