01 ORDER-HEAD.
   05 KIND PIC X.
   05 CODE-AREA PIC X(4).
   05 CzDE,NUM REDEFINES CODE-AREA PIC 9(4).
01 ORDER-LINE.
 
         15 PART PIC X.
