# Start-up only: compare.py subtracts the processor time of running this.
