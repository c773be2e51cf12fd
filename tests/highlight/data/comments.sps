* A comment command that runs
  over two lines and ends here.
COMPUTE x = 2 * 3.
   * indented star comment with 'quote'. still comment
   until this period.
COMMENT the comment command, written out.
comment
  continues to here. FREQUENCIES x.
/* slash-star note without period
FREQUENCIES x /* trailing note.
0 * 5 starts a comment.
* a period inside 'it.s' quotes. end.

* after an empty line.
