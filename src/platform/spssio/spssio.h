/* The SPSS I/O library's C interface for reading a data file's dictionary, header
 * and cases. On Linux it is implemented over our own reader of the
 * .sav/.zsav format; on Windows the real library can be linked instead.
 *
 * Conventions (as the library documents them): every function returns a result
 * code, 0 for success, a negative code for a warning (the out values are still
 * valid), a positive code for an error (the out values are untouched unless
 * stated). Texts are zero-terminated and encoded in the system code page, which
 * is UTF-8 on Linux; they are recoded from the file's own encoding.
 * Arrays and texts that a get function allocates are released with the paired
 * free function, never with free() or delete. All functions are thread-safe. */
#ifndef QS_PLATFORM_SPSSIO_SPSSIO_H
#define QS_PLATFORM_SPSSIO_SPSSIO_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes ------------------------------------------------------ */
#define SPSS_OK 0

#define SPSS_FILE_OERROR 1
#define SPSS_FILE_WERROR 2
#define SPSS_FILE_RERROR 3
#define SPSS_FITAB_FULL 4
#define SPSS_INVALID_HANDLE 5
#define SPSS_INVALID_FILE 6
#define SPSS_NO_MEMORY 7
#define SPSS_OPEN_RDMODE 8
#define SPSS_OPEN_WRMODE 9
#define SPSS_INVALID_VARNAME 10
#define SPSS_DICT_EMPTY 11
#define SPSS_VAR_NOTFOUND 12
#define SPSS_DUP_VAR 13
#define SPSS_NUME_EXP 14
#define SPSS_STR_EXP 15
#define SPSS_SHORTSTR_EXP 16
#define SPSS_INVALID_VARTYPE 17
#define SPSS_INVALID_MISSFOR 18
#define SPSS_INVALID_COMPSW 19
#define SPSS_INVALID_PRFOR 20
#define SPSS_INVALID_WRFOR 21
#define SPSS_INVALID_DATE 22
#define SPSS_INVALID_TIME 23
#define SPSS_NO_VARIABLES 24
#define SPSS_MIXED_TYPES 25
#define SPSS_DUP_VALUE 27
#define SPSS_INVALID_CASEWGT 28
#define SPSS_INCOMPATIBLE_DICT 29
#define SPSS_DICT_COMMIT 30
#define SPSS_DICT_NOTCOMMIT 31
#define SPSS_NO_TYPE2 33
#define SPSS_NO_TYPE73 41
#define SPSS_INVALID_DATEINFO 45
#define SPSS_NO_TYPE999 46
#define SPSS_EXC_STRVALUE 47
#define SPSS_CANNOT_FREE 48
#define SPSS_BUFFER_SHORT 49
#define SPSS_INVALID_CASE 50
#define SPSS_INTERNAL_VLABS 51
#define SPSS_INCOMPAT_APPEND 52
#define SPSS_INTERNAL_D_A 53
#define SPSS_FILE_BADTEMP 54
#define SPSS_DEW_NOFIRST 55
#define SPSS_INVALID_MEASURELEVEL 56
#define SPSS_INVALID_7SUBTYPE 57
#define SPSS_INVALID_VARHANDLE 58
#define SPSS_INVALID_ENCODING 59
#define SPSS_FILES_OPEN 60
#define SPSS_INVALID_MRSETDEF 70
#define SPSS_INVALID_MRSETNAME 71
#define SPSS_DUP_MRSETNAME 72

/* Warnings */
#define SPSS_EXC_LEN64 (-1)
#define SPSS_EXC_VARLABEL (-2)
#define SPSS_EXC_VALLABEL (-4)
#define SPSS_FILE_END (-5)
#define SPSS_NO_VARSETS (-6)
#define SPSS_EMPTY_VARSETS (-7)
#define SPSS_NO_LABELS (-8)
#define SPSS_NO_LABEL (-9)
#define SPSS_NO_CASEWGT (-10)
#define SPSS_NO_DATEINFO (-11)
#define SPSS_NO_MULTRESP (-12)
#define SPSS_EMPTY_MULTRESP (-13)
#define SPSS_NO_DEW (-14)
#define SPSS_EMPTY_DEW (-15)

/* ---- Codes of values ----------------------------------------------------- */
/* Variable types as spssGetVarNames reports them: 0 numeric, else string length. */
#define SPSS_NUMERIC 0

/* Missing value formats */
#define SPSS_NO_MISSVAL 0
#define SPSS_ONE_MISSVAL 1
#define SPSS_TWO_MISSVAL 2
#define SPSS_THREE_MISSVAL 3
#define SPSS_MISS_RANGE (-2)
#define SPSS_MISS_RANGEANDVAL (-3)

/* Format types (the two string formats are 1 and 2) */
#define SPSS_FMT_A 1
#define SPSS_FMT_AHEX 2
#define SPSS_FMT_COMMA 3
#define SPSS_FMT_DOLLAR 4
#define SPSS_FMT_F 5
#define SPSS_FMT_IB 6
#define SPSS_FMT_PIBHEX 7
#define SPSS_FMT_P 8
#define SPSS_FMT_PIB 9
#define SPSS_FMT_PK 10
#define SPSS_FMT_RB 11
#define SPSS_FMT_RBHEX 12
#define SPSS_FMT_Z 15
#define SPSS_FMT_N 16
#define SPSS_FMT_E 17
#define SPSS_FMT_DATE 20
#define SPSS_FMT_TIME 21
#define SPSS_FMT_DATE_TIME 22
#define SPSS_FMT_ADATE 23
#define SPSS_FMT_JDATE 24
#define SPSS_FMT_DTIME 25
#define SPSS_FMT_WKDAY 26
#define SPSS_FMT_MONTH 27
#define SPSS_FMT_MOYR 28
#define SPSS_FMT_QYR 29
#define SPSS_FMT_WKYR 30
#define SPSS_FMT_PCT 31
#define SPSS_FMT_DOT 32
#define SPSS_FMT_CCA 33
#define SPSS_FMT_CCB 34
#define SPSS_FMT_CCC 35
#define SPSS_FMT_CCD 36
#define SPSS_FMT_CCE 37
#define SPSS_FMT_EDATE 38
#define SPSS_FMT_SDATE 39

/* Measurement levels */
#define SPSS_MLVL_UNK 0
#define SPSS_MLVL_NOM 1
#define SPSS_MLVL_ORD 2
#define SPSS_MLVL_RAT 3

/* Alignments */
#define SPSS_ALIGN_LEFT 0
#define SPSS_ALIGN_RIGHT 1
#define SPSS_ALIGN_CENTER 2

/* Compression switch values of spssGetCompression */
#define SPSS_COMPRESSION_NONE 0
#define SPSS_COMPRESSION_SAV 1
#define SPSS_COMPRESSION_ZSAV 2

/* Interface encodings */
#define SPSS_ENCODING_CODEPAGE 0
#define SPSS_ENCODING_UTF8 1

/* ---- Lengths (bytes, without the terminating zero) ------------------------ */
#define SPSS_MAX_VARNAME 64
#define SPSS_MAX_SHORTVARNAME 8
#define SPSS_MAX_SHORTSTRING 8
#define SPSS_MAX_IDSTRING 64
#define SPSS_MAX_LONGSTRING 32767
#define SPSS_MAX_VALLABEL 120
#define SPSS_MAX_VARLABEL 256
#define SPSS_MAX_ENCODING 64
#define SPSS_MAX_SYSSTRING 40
#define SPSS_MAX_TEXTINFO 255

/* Texts written into caller buffers are held to the lengths above in bytes of the
 * file's encoding, cut at a character of it, and then recoded to UTF-8, which can make
 * each byte three: the buffer sizes below (terminating zero included) give that room.
 * A text is cut again, at a character boundary, only where a buffer is too small. */
#define SPSS_NAME_BUFFER_SIZE (3 * SPSS_MAX_VARNAME + 1)  /* spssGetCaseWeightVar, spssGetVarCompatName */
#define SPSS_LABEL_BUFFER_SIZE (3 * (SPSS_MAX_VARLABEL - 1) + 1) /* spssGetVarLabel: 255 bytes */
#define SPSS_CMISSING_BUFFER_SIZE (3 * SPSS_MAX_SHORTSTRING + 1) /* spssGetVarCMissingValues */
#define SPSS_SYSSTRING_BUFFER_SIZE (3 * SPSS_MAX_SYSSTRING + 1)
#define SPSS_IDSTRING_BUFFER_SIZE (3 * SPSS_MAX_IDSTRING + 1)
#define SPSS_TEXTINFO_BUFFER_SIZE (3 * SPSS_MAX_TEXTINFO + 1)
#define SPSS_DATE_BUFFER_SIZE 10 /* "dd mmm yy" */
#define SPSS_TIME_BUFFER_SIZE 9  /* "hh:mm:ss" */
#define SPSS_ENCODING_BUFFER_SIZE (SPSS_MAX_ENCODING + 1)

/* ---- Library values ------------------------------------------------------- */
double spssSysmisVal(void);
int spssLowHighVal(double* lowest, double* highest);
int spssGetInterfaceEncoding(void); /* SPSS_ENCODING_UTF8 on Linux */

/* ---- Opening and closing -------------------------------------------------- */
/* Reads the whole dictionary and header at once; later calls read only cases.
 * Errors: SPSS_FILE_OERROR (cannot open), SPSS_FILE_RERROR (truncated or unreadable),
 * SPSS_INVALID_FILE (not a system file, or inconsistent records), SPSS_NO_TYPE2,
 * SPSS_NO_TYPE999, SPSS_NO_MEMORY, SPSS_FITAB_FULL. */
int spssOpenRead(const char* fileName, int* handle);
/* As spssOpenRead, for a file that must also be writable; cases are never written. */
int spssOpenAppend(const char* fileName, int* handle);
int spssCloseRead(int handle);   /* SPSS_OPEN_WRMODE for an append handle */
int spssCloseAppend(int handle); /* SPSS_OPEN_RDMODE for a read handle */
int spssCloseWrite(int handle);  /* no handle is ever open for writing */

/* ---- File information ----------------------------------------------------- */
int spssGetCompression(int handle, int* compSwitch); /* SPSS_COMPRESSION_* */
int spssGetNumberofVariables(int handle, int* numVars);
/* Header count, else the 64-bit count record, else -1 (unknown). */
int spssGetNumberofCases(int handle, long* numofCases);
int spssGetCaseSize(int handle, long* caseSize); /* bytes of one uncompressed case */
int spssGetCaseWeightVar(int handle, char* varName); /* SPSS_NO_CASEWGT: none ("") */
/* The header's product string without its "@(#) SPSS DATA FILE" lead. */
int spssGetSystemString(int handle, char* sysName);
/* The 8 integers of the machine record (release, machine, float format, compression,
 * byte order, character code). A file without that record (some writers leave it
 * out) still gives SPSS_OK, with the fields its header tells and 0 elsewhere. */
int spssGetReleaseInfo(int handle, int relInfo[8]);
int spssGetTimeStamp(int handle, char* fileDate, char* fileTime);
int spssGetIdString(int handle, char* id);
int spssGetTextInfo(int handle, char* textInfo); /* record 7.10; "" when absent */
int spssGetFileEncoding(int handle, char* encoding); /* iconv name of the file's encoding */
int spssGetFileCodePage(int handle, int* codePage);  /* 0 when not known */

/* ---- Variables ------------------------------------------------------------ */
/* Names in dictionary order (very long strings folded into one variable); types:
 * 0 numeric, else the string length. */
int spssGetVarNames(int handle, int* numVars, char*** varNames, int** varTypes);
int spssFreeVarNames(char** varNames, int* varTypes, int numVars);
/* Variable names are matched without regard to ASCII case; SPSS_VAR_NOTFOUND otherwise. */
int spssGetVarHandle(int handle, const char* varName, double* varHandle);
int spssGetVarCompatName(int handle, const char* longName, char* shortName);
/* String variables always report format type SPSS_FMT_A or SPSS_FMT_AHEX with their
 * full length as width (up to 32767), numeric ones never a string type, whatever a
 * writer put into the file. */
int spssGetVarPrintFormat(int handle, const char* varName, int* printType, int* printDec,
                          int* printWid);
int spssGetVarWriteFormat(int handle, const char* varName, int* writeType, int* writeDec,
                          int* writeWid);
int spssGetVarColumnWidth(int handle, const char* varName, int* columnWidth);
int spssGetVarAlignment(int handle, const char* varName, int* alignment);
int spssGetVarMeasureLevel(int handle, const char* varName, int* measureLevel);
/* SPSS_NO_LABEL when there is none; SPSS_EXC_VARLABEL when cut to 255 bytes of the
 * file's encoding. */
int spssGetVarLabel(int handle, const char* varName, char* varLabel);
/* Copies up to lenBuff - 1 bytes; lenLabel receives the full length. */
int spssGetVarLabelLong(int handle, const char* varName, char* labelBuff, int lenBuff,
                        int* lenLabel);
/* Numeric variables only (SPSS_NUME_EXP for strings). */
int spssGetVarNMissingValues(int handle, const char* varName, int* missingFormat,
                             double* missingVal1, double* missingVal2, double* missingVal3);
/* String variables only (SPSS_STR_EXP for numerics), short and long: values
 * keep their blanks up to the variable's width (at most 8 bytes in the file, and
 * never more than 8 bytes of its encoding). Ranges do not exist for strings. */
int spssGetVarCMissingValues(int handle, const char* varName, int* missingFormat,
                             char* missingVal1, char* missingVal2, char* missingVal3);
/* Value labels in file order; SPSS_NO_LABELS with a count of 0 and null arrays when
 * there are none. String values have their trailing blanks removed. */
int spssGetVarNValueLabels(int handle, const char* varName, double** values, char*** labels,
                           int* numofLabels);
int spssFreeVarNValueLabels(double* values, char** labels, int numofLabels);
/* Short and long string variables alike. */
int spssGetVarCValueLabels(int handle, const char* varName, char*** values, char*** labels,
                           int* numofLabels);
int spssFreeVarCValueLabels(char** values, char** labels, int numofLabels);

/* ---- Sets ----------------------------------------------------------------- */
/* The definition texts as the file holds them (one set per line), with every
 * member given by its long variable name. None: SPSS_NO_VARSETS / SPSS_NO_MULTRESP
 * and a null text. Multiple-response sets of both records (simple and extended)
 * are returned together. */
int spssGetVariableSets(int handle, char** varSets);
int spssFreeVariableSets(char* varSets);
int spssGetMultRespDefs(int handle, char** mrespDefs);
int spssFreeMultRespDefs(char* mrespDefs);

/* ---- Cases ------------------------------------------------------------------ */
/* Cases are read one at a time into the handle's current case, from case 0 on or from
 * where spssSeekNextCase put the reader. spssReadCaseRecord gives SPSS_FILE_END after the
 * last case and SPSS_FILE_RERROR at a case that is cut off or damaged (spssGetCaseError
 * says which and what); after either there is no current case. */
int spssReadCaseRecord(int handle);
/* The next spssReadCaseRecord reads case caseNumber (from 0); SPSS_INVALID_CASE when the
 * file has no such case. */
int spssSeekNextCase(int handle, long caseNumber);
int spssSeekNextCase64(int handle, long long caseNumber); /* long is 32-bit on Windows */
/* A value of the current case by the variable's handle (spssGetVarHandle). Numbers:
 * system-missing as spssSysmisVal(); SPSS_NUME_EXP for a string variable. Strings:
 * recoded to UTF-8 and padded with blanks to the variable's width, zero-terminated in
 * valueSize bytes (3 * width + 1 always suffice); a value cut to fit gives
 * SPSS_BUFFER_SHORT; SPSS_STR_EXP for a numeric variable. Both: SPSS_INVALID_CASE without
 * a current case, SPSS_INVALID_VARHANDLE for a handle of no variable. */
int spssGetValueNumeric(int handle, double varHandle, double* value);
int spssGetValueChar(int handle, double varHandle, char* value, int valueSize);

/* ---- Our reader's own (the library has no such call) ----------------------- */
/* Why the last case call failed: "case 12: the data end inside the case (variable x)",
 * cases counted from 1; "" when none did. SPSS_BUFFER_SHORT when cut to size. */
int spssGetCaseError(int handle, char* message, int size);

/* The reader keeps the value labels of a file within a budget of bytes that grows
 * with the dictionary (platform/spssio/SavValueLabels.h) and leaves out the labels
 * past it. budgetBytes: this file's budget; droppedLabels: how many labels it left
 * out, 0 for any ordinary file. */
int spssGetValueLabelBudget(int handle, long* budgetBytes, long* droppedLabels);

#ifdef __cplusplus
}
#endif

#endif
