* Comment.
/* Another comment*/
GET FILE = !QUOTE(#Scratch).
FREQUENCY MyVar /MISSING=INCLUDE.
VAR LAB MyVar 'Label for variable MyVar'.
SELECT IF (Region EQ 'NW').
COMPUTE MyVar=1000 + MAX(TestVar).
execute.
