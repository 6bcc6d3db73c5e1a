#pragma once
/* The editor's artwork: "PNG" resources by integer id. Plain defines so that a Windows .rc file can
   include this header as well as the C++ code. */
#define IDB_BACKGROUND 100 /* img/bg.png, 562 x 270 */
#define IDB_KNOB 101       /* img/knob.png, 62 x 62 */
#define IDB_KNOB_SMALL 102 /* img/knob2.png, 54 x 54 */
#define IDB_RESET 104      /* img/reset.png, 186 x 27 */
#define IDB_MEMORY 105     /* img/memory.png, 186 x 27 */
