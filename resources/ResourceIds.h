/* The module's resource numbers and texts, in plain preprocessor form so
   that the resource compiler (VE_VIRIZU.rc) and the C++ sources read the
   same lines. control/ImageCtrlIds.h gives the numbers their C++ names;
   resources/ImageCtrlResources.cpp checks at compile time that both agree. */
#ifndef VE_RESOURCES_RESOURCEIDS_H
#define VE_RESOURCES_RESOURCEIDS_H

/* String table. 102, the message of a failed socket start, is not in it. */
#define VE_RC_IDS_IMAGECTRL 1
#define VE_RC_IDS_IMAGECTRL_PPG 2
#define VE_RC_IDS_IMAGECTRL_PPG_CAPTION 100
#define VE_RC_TEXT_IMAGECTRL "Ve_virizu Control"
#define VE_RC_TEXT_IMAGECTRL_PPG "Ve_virizu Property Page"
#define VE_RC_TEXT_IMAGECTRL_PPG_CAPTION "General"

/* Pictures: the toolbox bitmap and the three zoom pointers. */
#define VE_RC_IDB_IMAGECTRL 1
#define VE_RC_IDI_ZOOM 201
#define VE_RC_IDI_ZOOM_IN 202
#define VE_RC_IDI_ZOOM_OUT 203

/* Dialogs: the about box (which nothing shows) and the property page, each
   with one static text. */
#define VE_RC_IDD_ABOUTBOX_IMAGECTRL 100
#define VE_RC_IDD_PROPPAGE_IMAGECTRL 200
#define VE_RC_IDC_PROPPAGE_TEXT 1000
#define VE_RC_TEXT_ABOUTBOX_CAPTION "About Ve_virizu Control"
#define VE_RC_TEXT_ABOUTBOX "Ve_virizu Control, version 1.0: a camera's live picture"
#define VE_RC_TEXT_PROPPAGE "The picture's settings come from the PARAM elements of the camera's page."
/* The property page's dialog in dialog units. */
#define VE_RC_PROPPAGE_WIDTH 250
#define VE_RC_PROPPAGE_HEIGHT 62

/* The type library, resource 1 of type "TYPELIB". */
#define VE_RC_TYPELIB 1

/* Version information; the version itself is the project's, written by
   the build into VersionInfo.h. */
#define VE_RC_MODULE_NAME "VE_VIRIZU.OCX"
#define VE_RC_PRODUCT_NAME "Ve_virizu Control"
#define VE_RC_FILE_DESCRIPTION "RW-DPV20 OLE Control module"

#endif
