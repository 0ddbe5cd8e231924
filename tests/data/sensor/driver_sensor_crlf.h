// fixture: CRLF line ends and no line break after the last definition
#define SUPPORT_RIPPLE	S1,S2
#define SENSOR_S1_DPI_400	0x07
#define SENSOR_S1_DPI_800	15
#define SENSOR_S1_DPI_1600	31