      * The one-kind layout of bench/rec2csv.sh as a COBOL program would convert it: each
      * 100-byte record to one comma-separated line ended by CR LF.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. REC2CSV-ONE.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO IN-PATH
               ORGANIZATION IS SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO OUT-PATH
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       01 IN-REC.
          05 I-CODE    PIC X(10).
          05 I-NAME    PIC X(30).
          05 I-QTY     PIC X(7).
          05 I-PRICE   PIC 9(7)V99.
          05 I-AMOUNT  PIC S9(11)V99 COMP-3.
          05 I-TAX     PIC S9(7)V99 COMP-3.
          05 FILLER    PIC X(10).
          05 I-DATE    PIC X(8).
          05 I-RATE    PIC S9(3)V99 COMP-3.
          05 FILLER    PIC X(11).
       FD OUT-FILE.
       01 OUT-REC      PIC X(107).
       WORKING-STORAGE SECTION.
       01 IN-PATH      PIC X(512).
       01 OUT-PATH     PIC X(512).
       01 EOF-FLAG     PIC X VALUE "N".
       01 WS-OUT.
          05 O-CODE    PIC X(10).
          05 FILLER    PIC X VALUE ",".
          05 O-NAME    PIC X(30).
          05 FILLER    PIC X VALUE ",".
          05 O-QTY     PIC X(7).
          05 FILLER    PIC X VALUE ",".
          05 O-PRICE   PIC 9(7).99.
          05 FILLER    PIC X VALUE ",".
          05 O-AMOUNT  PIC -9(11).99.
          05 FILLER    PIC X VALUE ",".
          05 O-TAX     PIC -9(7).99.
          05 FILLER    PIC X VALUE ",".
          05 O-DATE    PIC X(8).
          05 FILLER    PIC X VALUE ",".
          05 O-RATE    PIC -9(3).99.
          05 FILLER    PIC X(2) VALUE X"0D0A".
       PROCEDURE DIVISION.
           ACCEPT IN-PATH FROM ARGUMENT-VALUE
           ACCEPT OUT-PATH FROM ARGUMENT-VALUE
           OPEN INPUT IN-FILE OUTPUT OUT-FILE
           PERFORM UNTIL EOF-FLAG = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END
                       MOVE I-CODE TO O-CODE
                       MOVE I-NAME TO O-NAME
                       MOVE I-QTY TO O-QTY
                       MOVE I-PRICE TO O-PRICE
                       MOVE I-AMOUNT TO O-AMOUNT
                       MOVE I-TAX TO O-TAX
                       MOVE I-DATE TO O-DATE
                       MOVE I-RATE TO O-RATE
                       WRITE OUT-REC FROM WS-OUT
               END-READ
           END-PERFORM
           CLOSE IN-FILE OUT-FILE
           STOP RUN.
