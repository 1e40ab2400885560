000100* A customer record.                                              CUST0001
000200 01  CUSTOMER.                                                    CUST0002
000300     05  CUST-ID        PIC 9(6).                                 CUST0003
000400     05  CUST-NAME      PIC X(20).
000500     05  KANA-NAME      PIC G(5) USAGE DISPLAY-1.
000600     05  BALANCE        PIC S9(7)V99 COMP-3.
000700     05  COUNTS         COMP.
000800         10  SMALL      PIC S9(4).
000900         10  LARGE      PIC 9(12).
001000         10  NATIVE     PIC S9(9) COMP-5.
001100     05  RATE           PIC S9(3)V9(2) SIGN IS LEADING SEPARATE.
001200     05  DIFF           PIC S9(3) SIGN TRAILING.
001300     05  THOUSANDS      PIC 9(3)PPP.
001400     05  MILLIONTHS     PIC PPP9(3).
001500     05  SHOWN          PIC -Z,ZZ9.99.
001600     05  FILLER         PIC X(2) VALUE 'A.'.
001700     05  STATE          PIC X.
001800         88  ACTIVE     VALUE 'A'.
001900 66  ALIAS RENAMES CUST-ID.
