      * Every picture and usage the import knows.
       01  HOST-REC.
           05  R-TEXT      PIC X(8).
           05  R-ALPHA     PIC A(4).
           05  R-ZONED     PIC 9(5)V99.
           05  R-SZONED    PIC S9(5)V99.
           05  R-LEAD      PIC S9(4) SIGN IS LEADING.
           05  R-LEADSEP   PIC S9(3)V9 SIGN LEADING SEPARATE CHARACTER.
           05  R-TRAILSEP  PIC S9(5) SIGN TRAILING SEPARATE.
           05  R-PACKED    PIC S9(7)V99 COMP-3.
           05  R-UPACKED   PIC 9(5) USAGE IS PACKED-DECIMAL.
           05  R-BIN2      PIC S9(4) COMP.
           05  R-BIN4      PIC S9(9) BINARY.
           05  R-BIN8      PIC S9(16) COMP-4.
           05  R-UBIN4     PIC 9(8) COMP.
           05  R-NATIVE    PIC S9(9) COMP-5.
           05  R-SCALED    PIC 9(3)PPP.
           05  R-SMALL     PIC PPP9(3).
           05  R-BIG       PIC S9(31)V9(6) COMP-3.
           05  R-EDITED    PIC -9(4).99.
           05  R-GROUP     OCCURS 2 TIMES.
               10  R-QTYè  PIC 9(3) COMP-3.
           05  FILLER      PIC X(2).
