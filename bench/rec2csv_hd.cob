      * The header/detail layout of bench/rec2csv.sh as a COBOL program would convert it: the
      * header's fields kept, one line per detail record with them in front.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. REC2CSV-HD.
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
          05 I-KIND      PIC X.
          05 I-BODY      PIC X(99).
       01 IN-HEADER.
          05 FILLER      PIC X.
          05 H-ORDERNO   PIC X(10).
          05 H-CUSTOMER  PIC X(30).
          05 H-DATE      PIC X(8).
          05 FILLER      PIC X(51).
       01 IN-DETAIL.
          05 FILLER      PIC X.
          05 D-LINENO    PIC X(3).
          05 D-ITEM      PIC X(20).
          05 D-QTY       PIC X(5).
          05 D-PRICE     PIC 9(7)V99.
          05 D-AMOUNT    PIC S9(9)V99 COMP-3.
          05 FILLER      PIC X(56).
       FD OUT-FILE.
       01 OUT-REC        PIC X(108).
       WORKING-STORAGE SECTION.
       01 IN-PATH        PIC X(512).
       01 OUT-PATH       PIC X(512).
       01 EOF-FLAG       PIC X VALUE "N".
       01 WS-OUT.
          05 O-ORDERNO   PIC X(10).
          05 FILLER      PIC X VALUE ",".
          05 O-CUSTOMER  PIC X(30).
          05 FILLER      PIC X VALUE ",".
          05 O-DATE      PIC X(8).
          05 FILLER      PIC X VALUE ",".
          05 O-LINENO    PIC X(3).
          05 FILLER      PIC X VALUE ",".
          05 O-ITEM      PIC X(20).
          05 FILLER      PIC X VALUE ",".
          05 O-QTY       PIC X(5).
          05 FILLER      PIC X VALUE ",".
          05 O-PRICE     PIC 9(7).99.
          05 FILLER      PIC X VALUE ",".
          05 O-AMOUNT    PIC -9(9).99.
          05 FILLER      PIC X(2) VALUE X"0D0A".
       PROCEDURE DIVISION.
           ACCEPT IN-PATH FROM ARGUMENT-VALUE
           ACCEPT OUT-PATH FROM ARGUMENT-VALUE
           OPEN INPUT IN-FILE OUTPUT OUT-FILE
           PERFORM UNTIL EOF-FLAG = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END
                       EVALUATE I-KIND
                           WHEN "H"
                               MOVE H-ORDERNO TO O-ORDERNO
                               MOVE H-CUSTOMER TO O-CUSTOMER
                               MOVE H-DATE TO O-DATE
                           WHEN "D"
                               MOVE D-LINENO TO O-LINENO
                               MOVE D-ITEM TO O-ITEM
                               MOVE D-QTY TO O-QTY
                               MOVE D-PRICE TO O-PRICE
                               MOVE D-AMOUNT TO O-AMOUNT
                               WRITE OUT-REC FROM WS-OUT
                       END-EVALUATE
               END-READ
           END-PERFORM
           CLOSE IN-FILE OUT-FILE
           STOP RUN.
